#include "support/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qx::fs {

std::string errno_text(int err) {
    char buf[256];
    // GNU strerror_r returns the message pointer (which may or may not be buf).
    const char* msg = strerror_r(err, buf, sizeof buf);
    return std::string(msg) + " (os error " + std::to_string(err) + ")";
}

namespace {

Error last_error() {
    return errno_text(errno);
}

int open_fd(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

File::~File() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

File::File(File&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Result<File> File::open_append(const std::string& path) {
    const int fd = open_fd(path, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0) {
        return Unexpected(last_error());
    }
    return File(fd);
}

Result<File> File::create_new(const std::string& path) {
    const int fd = open_fd(path, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) {
        return Unexpected(last_error());
    }
    return File(fd);
}

Result<File> File::create_truncate(const std::string& path) {
    const int fd = open_fd(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) {
        return Unexpected(last_error());
    }
    return File(fd);
}

Result<File> File::open_read(const std::string& path) {
    const int fd = open_fd(path, O_RDONLY);
    if (fd < 0) {
        return Unexpected(last_error());
    }
    return File(fd);
}

Status File::write_all(std::string_view bytes) {
    return write_all(bytes.data(), bytes.size());
}

Status File::write_all(const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Unexpected(last_error());
        }
        if (n == 0) {
            return Unexpected(errno_text(EIO));
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return {};
}

Result<std::size_t> File::read_some(void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, data, size);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            return Unexpected(last_error());
        }
    }
}

Result<std::string> File::read_to_end() {
    std::string out;
    char buf[65536];
    for (;;) {
        Result<std::size_t> n = read_some(buf, sizeof buf);
        if (!n) {
            return Unexpected(n.error());
        }
        if (*n == 0) {
            return out;
        }
        out.append(buf, *n);
    }
}

Status File::sync_data() {
    if (::fdatasync(fd_) != 0) {
        return Unexpected(last_error());
    }
    return {};
}

Status File::sync_all() {
    if (::fsync(fd_) != 0) {
        return Unexpected(last_error());
    }
    return {};
}

Result<std::uint64_t> File::size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        return Unexpected(last_error());
    }
    return static_cast<std::uint64_t>(st.st_size);
}

Status File::close() {
    if (fd_ < 0) {
        return {};
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        return Unexpected(last_error());
    }
    return {};
}

Status create_dir_all(const std::string& path) {
    if (path.empty()) {
        return Unexpected(errno_text(ENOENT));
    }
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string prefix = path.substr(0, pos);
        if (prefix.empty()) {
            continue;
        }
        if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            return Unexpected(last_error());
        }
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return Unexpected(last_error());
    }
    if (!S_ISDIR(st.st_mode)) {
        return Unexpected(errno_text(ENOTDIR));
    }
    return {};
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

namespace {

Metadata metadata_from_stat(const struct stat& st) {
    Metadata m;
    m.size = static_cast<std::uint64_t>(st.st_size);
    const std::int64_t ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL +
                            static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    m.mtime_ns = ns > 0 ? static_cast<std::uint64_t>(ns) : 0;
    m.is_file = S_ISREG(st.st_mode);
    m.is_dir = S_ISDIR(st.st_mode);
    return m;
}

}  // namespace

Result<Metadata> metadata(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return Unexpected(last_error());
    }
    return metadata_from_stat(st);
}

Result<Metadata> symlink_metadata(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return Unexpected(last_error());
    }
    return metadata_from_stat(st);
}

Result<std::vector<DirEntry>> list_dir(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return Unexpected(last_error());
    }
    std::vector<DirEntry> out;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            break;
        }
        const std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        DirEntry entry{name, false, false};
        struct stat st;
        if (::stat(join(path, name).c_str(), &st) == 0) {
            entry.is_file = S_ISREG(st.st_mode);
            entry.is_dir = S_ISDIR(st.st_mode);
        }
        out.push_back(std::move(entry));
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) {
        return Unexpected(errno_text(err));
    }
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return out;
}

Status remove_file(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        return Unexpected(last_error());
    }
    return {};
}

Status rename_path(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Unexpected(last_error());
    }
    return {};
}

Status sync_dir(const std::string& path) {
    const int fd = open_fd(path, O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        return Unexpected(last_error());
    }
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) {
        return Unexpected(errno_text(err));
    }
    return {};
}

Status set_mtime(const std::string& path, std::uint64_t mtime_ns) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(mtime_ns / 1000000000ULL);
    times[1].tv_nsec = static_cast<long>(mtime_ns % 1000000000ULL);
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
        return Unexpected(last_error());
    }
    return {};
}

Result<std::string> read_file(const std::string& path) {
    Result<File> f = File::open_read(path);
    if (!f) {
        return Unexpected(f.error());
    }
    return f->read_to_end();
}

Status append_to_file(const std::string& path, std::string_view bytes) {
    Result<File> f = File::open_append(path);
    if (!f) {
        return Unexpected(f.error());
    }
    Status w = f->write_all(bytes);
    if (!w) {
        return w;
    }
    return f->close();
}

Status write_file_atomic(const std::string& path, std::string_view bytes, bool sync) {
    const std::string tmp = path + ".tmp";
    {
        Result<File> f = File::create_truncate(tmp);
        if (!f) {
            return Unexpected(f.error());
        }
        Status w = f->write_all(bytes);
        if (w && sync) {
            w = f->sync_data();
        }
        if (w) {
            w = f->close();
        }
        if (!w) {
            ::unlink(tmp.c_str());
            return w;
        }
    }
    Status r = rename_path(tmp, path);
    if (!r) {
        ::unlink(tmp.c_str());
        return r;
    }
    if (sync) {
        return sync_dir(parent_dir(path));
    }
    return {};
}

std::string join(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!out.empty() && out.back() != '/') {
        out += '/';
    }
    std::size_t skip = 0;
    while (skip < name.size() && name[skip] == '/' && !out.empty()) {
        ++skip;
    }
    out.append(name.substr(skip));
    return out;
}

std::string parent_dir(std::string_view path) {
    const std::size_t pos = path.rfind('/');
    if (pos == std::string_view::npos) {
        return ".";
    }
    if (pos == 0) {
        return "/";
    }
    return std::string(path.substr(0, pos));
}

}  // namespace qx::fs
