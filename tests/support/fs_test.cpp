#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/expected.h"
#include "support/fs.h"

namespace qx::fs {
namespace {

std::string make_temp_dir() {
    char tmpl[] = "/tmp/qx-fs-test-XXXXXX";
    const char* dir = ::mkdtemp(tmpl);
    return dir ? dir : "";
}

TEST(Fs, DirectoriesFilesAndAtomicReplace) {
    const std::string root = make_temp_dir();
    ASSERT_FALSE(root.empty());
    const std::string deep = join(root, "a/b/c");
    ASSERT_TRUE(create_dir_all(deep));
    ASSERT_TRUE(create_dir_all(deep)) << "creating an existing directory succeeds";

    const std::string file = join(deep, "x.txt");
    ASSERT_TRUE(append_to_file(file, "one\n"));
    ASSERT_TRUE(append_to_file(file, "two\n"));
    EXPECT_EQ(*read_file(file), "one\ntwo\n");
    EXPECT_EQ(metadata(file)->size, 8u);
    EXPECT_FALSE(create_dir_all(file)) << "a file in the way is an error";

    EXPECT_FALSE(File::create_new(file)) << "create-new refuses an existing file";
    ASSERT_TRUE(write_file_atomic(file, "new", true));
    EXPECT_EQ(*read_file(file), "new");
    EXPECT_FALSE(exists(file + ".tmp"));

    ASSERT_TRUE(set_mtime(file, 1'000'000'000ULL * 1000));
    EXPECT_EQ(metadata(file)->mtime_ns, 1'000'000'000ULL * 1000);

    auto entries = list_dir(deep);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "x.txt");
    EXPECT_TRUE((*entries)[0].is_file);

    ASSERT_TRUE(remove_file(file));
    const Result<std::string> gone = read_file(file);
    ASSERT_FALSE(gone);
    EXPECT_NE(gone.error().find("(os error 2)"), std::string::npos) << gone.error();
    std::system(("rm -rf " + root).c_str());
}

TEST(Fs, PathPieces) {
    EXPECT_EQ(join("a", "b"), "a/b");
    EXPECT_EQ(join("a/", "b"), "a/b");
    EXPECT_EQ(join("a/", "/b"), "a/b");
    EXPECT_EQ(parent_dir("a/b/c"), "a/b");
    EXPECT_EQ(parent_dir("c"), ".");
    EXPECT_EQ(parent_dir("/c"), "/");
}

TEST(Expected, ValueOrError) {
    Expected<int, std::string> ok = 3;
    Expected<int, std::string> bad = Unexpected(std::string("no"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(*ok, 3);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.error(), "no");
    Expected<void, std::string> done;
    EXPECT_TRUE(done);
    Expected<void, std::string> failed = Unexpected(std::string("x"));
    EXPECT_EQ(failed.error(), "x");
}

}  // namespace
}  // namespace qx::fs
