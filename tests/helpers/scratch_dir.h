// A fresh directory under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace qx_test {

class ScratchDir {
  public:
    ScratchDir() {
        std::string tmpl = "/tmp/qx-test-XXXXXX";
        if (::mkdtemp(tmpl.data()) != nullptr) {
            path_ = tmpl;
        }
        EXPECT_FALSE(path_.empty()) << "cannot create a scratch directory";
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

  private:
    std::string path_;
};

}  // namespace qx_test
