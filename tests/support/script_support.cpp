#include "support/script_support.h"

#include "script/script_runner.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
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

// Gives the tree to `uid`:`gid`, keeping every mode as the test set it.
void chownTree(const std::filesystem::path& dir, uid_t uid, gid_t gid) {
    ASSERT_EQ(::lchown(dir.c_str(), uid, gid), 0) << dir;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        ASSERT_EQ(::lchown(e.path().c_str(), uid, gid), 0) << e.path();
}

// In the child: drops root for nobody; false when that fails.
bool becomeNobody(const passwd& nobody) {
    return ::setgroups(0, nullptr) == 0 && ::setgid(nobody.pw_gid) == 0 && ::setuid(nobody.pw_uid) == 0 &&
           ::geteuid() != 0;
}

}  // namespace

std::string runScriptUnprivileged(const std::filesystem::path& dir, const std::string& script) {
    const bool root = ::geteuid() == 0;
    passwd nobody{};
    if (root) {
        const passwd* p = ::getpwnam("nobody");
        if (!p) {
            ADD_FAILURE() << "no user nobody";
            return std::string();
        }
        nobody = *p;
        chownTree(dir, nobody.pw_uid, nobody.pw_gid);
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return std::string();
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (root && !becomeNobody(nobody)) ::_exit(3);
        std::ostringstream out;
        script::ScriptRunner runner(dir, out);
        std::istringstream in("today 01.06.2006\nstart\n" + script);
        const bool ok = runner.run(in);
        const std::string text = out.str();
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0) ::_exit(4);
            done += static_cast<size_t>(n);
        }
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n" << text;
    return text;
}

std::string withoutDocumentPath(const std::string& out) {
    const size_t at = out.find("document: ");
    EXPECT_NE(at, std::string::npos) << out;
    if (at == std::string::npos) return out;
    return out.substr(0, at) + out.substr(out.find('\n', at) + 1);
}

}  // namespace zelt::testing
