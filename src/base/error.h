// The two exceptions every layer throws: an engine/file/document error with its message, and a
// silent refusal that ends the current command without a message.
#pragma once

#include <stdexcept>
#include <string>

namespace zelt {

// A failure of the table engine, the file layer or the document layer. The text is what the
// standard error message box shows; the event dispatcher catches it, shows it and ends the handler.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

// A before-hook refused the operation (for instance an insert under a filter). The hook has already
// told the user; the dispatcher ends the command silently.
class Aborted : public std::exception {
public:
    const char* what() const noexcept override { return "aborted"; }
};

}  // namespace zelt
