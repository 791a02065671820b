#include "store/intent_journal.h"

#include "base/error.h"
#include "store/store_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace zelt::store {
namespace {

struct KindName {
    IntentAction::Kind kind;
    const char* name;
};
const KindName kKinds[] = {
    {IntentAction::Kind::DropAppended, "drop-appended"}, {IntentAction::Kind::Delete, "delete"},
    {IntentAction::Kind::Blank, "blank"},                {IntentAction::Kind::MoveNote, "move-note"},
    {IntentAction::Kind::CopyNote, "copy-note"},         {IntentAction::Kind::DropNoteCopy, "drop-note-copy"},
    {IntentAction::Kind::Empty, "empty"},
    {IntentAction::Kind::Restore, "restore"},            {IntentAction::Kind::ReplaceNote, "replace-note"},
};

const char* const kHeader = "zelt-intent 1";

std::string kindName(IntentAction::Kind k) {
    for (const KindName& n : kKinds)
        if (n.kind == k) return n.name;
    return "?";
}

std::optional<IntentAction::Kind> kindNamed(const std::string& s) {
    for (const KindName& n : kKinds)
        if (s == n.name) return n.kind;
    return std::nullopt;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t b = 0;
    for (;;) {
        const size_t e = line.find('\t', b);
        out.push_back(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
        if (e == std::string::npos) return out;
        b = e + 1;
    }
}

[[noreturn]] void fail(Fault kind, const std::string& value = {}) {
    throw fileFault(kind, IntentJournal::fileName(), {}, {}, value);
}

// A system call on the journal failed: the system's own text says why.
[[noreturn]] void failSystem(const std::string& detail) {
    FaultInfo f;
    f.kind = Fault::JournalSystem;
    f.file = IntentJournal::fileName();
    f.detail = detail;
    throw StoreError(std::move(f));
}

// fsync of a file or directory; a failure means the journal cannot be trusted to be on disk.
void syncPath(const std::filesystem::path& p, bool directory) {
    const int fd = ::open(p.c_str(), directory ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0) failSystem(std::strerror(errno));
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0) failSystem(std::strerror(err));
}

}  // namespace

IntentJournal::IntentJournal(std::filesystem::path dataDir) : path_(std::move(dataDir) / fileName()) {}

const char* IntentJournal::fileName() { return "intent.jrn"; }

bool IntentJournal::pending() const {
    std::error_code ec;
    return std::filesystem::exists(path_, ec);
}

std::optional<Intent> IntentJournal::read() const {
    if (!pending()) return std::nullopt;
    std::ifstream in(path_, std::ios::binary);
    if (!in) fail(Fault::JournalUnreadable);
    Intent intent;
    std::string line;
    if (!std::getline(in, line) || line != kHeader) fail(Fault::JournalUnknownFormat);
    bool ended = false;
    while (std::getline(in, line)) {
        if (line == "end") {
            ended = true;
            break;
        }
        const size_t sp = line.find(' ');
        const std::string word = line.substr(0, sp);
        const std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        if (word == "command") intent.command = rest;
        else if (word == "state") intent.committed = rest == "committed";
        else if (word == "undo" || word == "finish") {
            std::vector<std::string> parts = splitTabs(rest);
            const auto kind = kindNamed(parts[0]);
            if (!kind) fail(Fault::JournalUnknownStep, parts[0]);
            parts.erase(parts.begin());
            (word == "undo" ? intent.undo : intent.finish).push_back({*kind, std::move(parts)});
        } else fail(Fault::JournalBadLine, line);
    }
    // The journal is renamed into place whole; a journal without its end was not written by us.
    if (!ended) fail(Fault::JournalTruncated);
    return intent;
}

void IntentJournal::write(const Intent& intent) {
    std::ostringstream s;
    s << kHeader << "\ncommand " << intent.command << "\nstate " << (intent.committed ? "committed" : "begun") << "\n";
    for (const auto* list : {&intent.undo, &intent.finish})
        for (const IntentAction& a : *list) {
            s << (list == &intent.undo ? "undo " : "finish ") << kindName(a.kind);
            for (const std::string& arg : a.args) s << '\t' << arg;
            s << '\n';
        }
    s << "end\n";
    const std::string text = s.str();

    // Written beside, synced, then renamed over: a crash leaves the old journal or the new one whole.
    std::filesystem::path tmp = path_;
    tmp += ".~tmp";
    {
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) failSystem(std::strerror(errno));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                const int err = errno;
                ::close(fd);
                failSystem(std::strerror(err));
            }
            done += static_cast<size_t>(n);
        }
        const int rc = ::fsync(fd);
        const int err = errno;
        ::close(fd);
        if (rc != 0) failSystem(std::strerror(err));
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path_, ec);
    if (ec) failSystem(ec.message());
    syncPath(path_.parent_path(), true);
}

void IntentJournal::remove() {
    std::error_code ec;
    if (!std::filesystem::remove(path_, ec) && ec) failSystem(ec.message());
    syncPath(path_.parent_path(), true);
}

}  // namespace zelt::store
