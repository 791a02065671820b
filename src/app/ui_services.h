// The user-facing services the controller calls: message, error, confirmation, input and password
// dialogs. The Qt layer shows real dialogs; scripts and tests answer from a queue.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelt::app {

class UiServices {
public:
    virtual ~UiServices() = default;
    // Message box with the text and OK.
    virtual void message(const std::string& text) = 0;
    // The standard error message box of an engine, file or document error.
    virtual void error(const std::string& text) = 0;
    // Yes/No box with the exclamation icon; true only for Yes.
    virtual bool confirm(const std::string& caption, const std::string& text) = 0;
    // Single-line input dialog with OK and Cancel; nothing for Cancel.
    virtual std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                             const std::string& prefill) = 0;
    // The engine's password dialog for a table file; nothing for Cancel.
    virtual std::optional<std::string> password(const std::string& tableFile) = 0;

    // Shows a window of the form model (TForm4, TForm5, TForm6, ...). A modal window returns when
    // the window is closed (its Form control made invisible); a script returns at once.
    virtual void showWindow(const std::string& form, bool modal) = 0;
    // Asks the desktop to open a web or mail address, or a document; failures are ignored.
    virtual void openUrl(const std::string& url) = 0;
    // Starts the desktop's text editor on a file without waiting; nothing when none can start.
    virtual void startEditor(const std::string& file) = 0;
    // Reduces the desktop's clipboard to plain text that cp1251 can hold (rich text, pictures and
    // other formats are dropped); nothing when the clipboard cannot be opened.
    virtual void reduceClipboard() {}
    // Asks the desktop to open a document just written (a report) in the word processor; false
    // when the desktop could not (no program for the document's type).
    virtual bool openDocument(const std::string& path) {
        openUrl("file://" + path);
        return true;
    }
    // The folder where report documents are written: one of the user's that outlives the session,
    // for the documents stay there until the clerk saves them elsewhere. Tests and scripts keep
    // them in the temporary folder.
    virtual std::filesystem::path reportFolder() { return std::filesystem::temp_directory_path(); }
};

}  // namespace zelt::app
