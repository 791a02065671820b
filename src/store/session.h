// The engine session: data directory, network control directory, registered table passwords, the
// password prompt, and the grouping of many posts into one transaction per file for long loops.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zelt::store {

namespace sql {
class Connection;
}

class Session {
public:
    // Asked for the password of a table file none of the registered passwords opens; nothing means
    // the user cancelled.
    using PasswordPrompt = std::function<std::optional<std::string>(const std::string& tableFile)>;

    explicit Session(std::filesystem::path dataDir);

    const std::filesystem::path& dataDir() const { return dataDir_; }
    // The directory where the engine keeps its shared control file; must exist.
    void setNetworkControlDir(const std::string& dir);
    const std::string& networkControlDir() const { return netDir_; }

    void addPassword(const std::string& password);
    const std::vector<std::string>& passwords() const { return passwords_; }
    void setPasswordPrompt(PasswordPrompt prompt) { prompt_ = std::move(prompt); }
    // Accepts the file when a registered password matches its check, otherwise asks the prompt
    // until a right password is given (then registered) or the user cancels (engine error).
    void unlock(const std::string& displayName, const std::string& storedCheck);

    // While a Batch lives, writes on each connection run inside one transaction, committed when the
    // outermost Batch commits. A Batch that ends without commit() (an exception ends the loop)
    // commits too, so what was done stays done; only commit() can report a failed commit.
    class Batch {
    public:
        explicit Batch(Session& s);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Ends the batch; for the outermost one, commits every file and throws the first failure.
        void commit();

    private:
        Session& s_;
        bool ended_ = false;
    };
    // Called by a table before it writes through `c`.
    void beforeWrite(sql::Connection& c);
    // Called by a table before it closes `c`: its open batch transaction is committed.
    void forget(sql::Connection& c);

private:
    void commitAll();

    std::filesystem::path dataDir_;
    std::string netDir_;
    std::vector<std::string> passwords_;
    PasswordPrompt prompt_;
    int batchDepth_ = 0;
    std::vector<sql::Connection*> inBatch_;
};

}  // namespace zelt::store
