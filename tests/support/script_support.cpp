#include "support/script_support.h"

#include "script/script_runner.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

namespace zelt::testing {
namespace {

// Points TMPDIR somewhere else while it lives, and puts back what was there (or nothing).
class TempDirOverride {
public:
    explicit TempDirOverride(const std::filesystem::path& dir) {
        if (const char* v = std::getenv("TMPDIR")) saved_ = v;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~TempDirOverride() {
        if (saved_)
            ::setenv("TMPDIR", saved_->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    TempDirOverride(const TempDirOverride&) = delete;
    TempDirOverride& operator=(const TempDirOverride&) = delete;

private:
    std::optional<std::string> saved_;
};

}  // namespace

std::string runScript(const std::filesystem::path& dir, const std::string& script) {
    // Reports go to the user's temporary folder; a test's reports go to one of the test's own,
    // removed with its data directory, instead of piling up in the machine's.
    const std::filesystem::path reports = reportFolder(dir);
    std::filesystem::create_directories(reports);
    const TempDirOverride temp(reports);
    std::ostringstream out;
    script::ScriptRunner runner(dir, out);
    std::istringstream in("today 01.06.2006\nstart\n" + script);
    EXPECT_TRUE(runner.run(in)) << out.str();
    return out.str();
}

std::string withoutDocumentPath(const std::string& out) {
    const size_t at = out.find("document: ");
    EXPECT_NE(at, std::string::npos) << out;
    if (at == std::string::npos) return out;
    return out.substr(0, at) + out.substr(out.find('\n', at) + 1);
}

}  // namespace zelt::testing
