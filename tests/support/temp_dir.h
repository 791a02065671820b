// An empty directory of its own under the system's temporary folder, removed with everything in it:
// the one way tests get a scratch folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace zelt::testing {

class TempDir {
public:
    // `prefix` tells whose folder it is when one is left behind by a killed run.
    explicit TempDir(const std::string& prefix = "zelt-test") {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace zelt::testing
