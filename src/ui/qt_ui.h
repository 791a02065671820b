// The user-facing services with real dialogs: message and error boxes, the Yes/No confirmation,
// the input and password dialogs, the program's own windows, links and the desktop's text editor.
#pragma once

#include "app/application.h"
#include "app/ui_services.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace zelt::ui {

class FormView;

// Makes the standard buttons and texts of Qt's own dialogs speak Russian like the rest of the
// program. Call once, after the QApplication exists.
void installRussianQtTexts();

class QtUi : public app::UiServices {
public:
    // The application whose main window becomes active again after each dialog, and the view that
    // shows the program's windows. Either may be null (before start-up, after shutdown).
    void attach(app::Application* app, FormView* view);

    void message(const std::string& text) override;
    void error(const std::string& text) override;
    bool confirm(const std::string& caption, const std::string& text) override;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& prefill) override;
    std::optional<std::string> password(const std::string& tableFile) override;
    void showWindow(const std::string& form, bool modal) override;
    void openUrl(const std::string& url) override;
    void startEditor(const std::string& file) override;
    void reduceClipboard() override;
    bool openDocument(const std::string& path) override;
    // "Отчёты" in the user's documents folder.
    std::filesystem::path reportFolder() override;

    // The editors tried in order: $VISUAL, $EDITOR, then the desktop's usual ones.
    static QStringList editorCandidates();

private:
    QWidget* dialogParent() const;
    // A dialog closed: the main window is the active window again.
    void dialogClosed();

    app::Application* app_ = nullptr;
    FormView* view_ = nullptr;
};

}  // namespace zelt::ui
