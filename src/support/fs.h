// File-system calls shared by the audit log, the JSON-lines store and the write-ahead logs.
// Every failure is an error value carrying the operating system's description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/expected.h"

namespace qx::fs {

using Error = std::string;
template <typename T>
using Result = Expected<T, Error>;
using Status = Expected<void, Error>;

// "<strerror text> (os error <n>)" for an errno value.
std::string errno_text(int err);

// An open file descriptor, closed on destruction.
class File {
  public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens for appending, creating the file (mode 0644) when missing.
    static Result<File> open_append(const std::string& path);
    // Creates a new file for writing; fails when the path already exists.
    static Result<File> create_new(const std::string& path);
    // Opens for writing, creating or truncating.
    static Result<File> create_truncate(const std::string& path);
    static Result<File> open_read(const std::string& path);

    bool is_open() const noexcept { return fd_ >= 0; }
    int fd() const noexcept { return fd_; }

    // Writes every byte, retrying short writes and EINTR.
    Status write_all(std::string_view bytes);
    Status write_all(const void* data, std::size_t size);
    // Reads up to `size` bytes; returns the count read (0 at end of file).
    Result<std::size_t> read_some(void* data, std::size_t size);
    Result<std::string> read_to_end();
    Status sync_data();  // fdatasync
    Status sync_all();   // fsync
    Result<std::uint64_t> size() const;
    Status close();

  private:
    explicit File(int fd) : fd_(fd) {}
    int fd_ = -1;
};

struct Metadata {
    std::uint64_t size = 0;
    std::uint64_t mtime_ns = 0;  // modification time, nanoseconds since the Unix epoch
    bool is_file = false;
    bool is_dir = false;
};

struct DirEntry {
    std::string name;  // file name only
    bool is_file = false;
    bool is_dir = false;
};

Status create_dir_all(const std::string& path);
bool exists(const std::string& path);
Result<Metadata> metadata(const std::string& path);
// As metadata, but a symbolic link is described itself (neither is_file nor is_dir), not
// followed.
Result<Metadata> symlink_metadata(const std::string& path);
// Entries of a directory other than "." and "..", sorted by name.
Result<std::vector<DirEntry>> list_dir(const std::string& path);
Status remove_file(const std::string& path);
Status rename_path(const std::string& from, const std::string& to);
Status sync_dir(const std::string& path);
Status set_mtime(const std::string& path, std::uint64_t mtime_ns);

Result<std::string> read_file(const std::string& path);
// Opens `path` for append, writes `bytes`, closes it.
Status append_to_file(const std::string& path, std::string_view bytes);
// Writes `bytes` to "<path>.tmp", optionally syncs it, then renames it over `path` (and syncs
// the directory when `sync` is set), so readers see the old or the new content, never a mix.
Status write_file_atomic(const std::string& path, std::string_view bytes, bool sync);

// Joins two path pieces with exactly one '/'.
std::string join(std::string_view dir, std::string_view name);
// The directory part of a path ("." when it has none).
std::string parent_dir(std::string_view path);

}  // namespace qx::fs
