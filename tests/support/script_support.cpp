#include "support/script_support.h"

#include "script/script_runner.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

constexpr uid_t kNobody = 65534;

void giveToNobody(const std::filesystem::path& dir) {
    EXPECT_EQ(::lchown(dir.c_str(), kNobody, kNobody), 0) << dir;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        EXPECT_EQ(::lchown(e.path().c_str(), kNobody, kNobody), 0) << e.path();
}

}  // namespace

std::string runScriptUnprivileged(const std::filesystem::path& dir, const std::string& script) {
    const bool root = ::geteuid() == 0;
    if (root) giveToNobody(dir);
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) {
        ADD_FAILURE() << "no pipe";
        return "";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        const bool dropped = !root || (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
        if (dropped && ::chdir(dir.c_str()) == 0) ::execl(ZELT_SCRIPT_DRIVER, ZELT_SCRIPT_DRIVER, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    const std::string input = "today 01.06.2006\nstart\n" + script;
    // The driver reads all of its input before it ends, and a script is far smaller than a pipe.
    EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(in[1]);
    std::string output;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0) output.append(buf, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n" << output;
    return output;
}

void makeWritable(const std::filesystem::path& dir) {
    using std::filesystem::perms;
    std::error_code ec, ignored;
    std::filesystem::permissions(dir, perms::owner_all, std::filesystem::perm_options::add, ignored);
    // Each folder is made readable before the walk goes into it.
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(),
                                     it->is_directory(ignored) ? perms::owner_all : perms::owner_read | perms::owner_write,
                                     std::filesystem::perm_options::add, ignored);
}

std::string withoutDocumentPath(const std::string& out) {
    const size_t at = out.find("document: ");
    EXPECT_NE(at, std::string::npos) << out;
    if (at == std::string::npos) return out;
    return out.substr(0, at) + out.substr(out.find('\n', at) + 1);
}

}  // namespace zelt::testing
