#include "ui/qt_ui.h"

#include "ui/form_view.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

#include "base/text.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QFileInfo>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QTranslator>
#include <QUrl>

namespace zelt::ui {

namespace {

// The title of the program's own message boxes.
const char* const kProgramTitle = "Банк данных";

}  // namespace

void installRussianQtTexts() {
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
}

void QtUi::attach(app::Application* app, FormView* view) {
    app_ = app;
    view_ = view;
}

QWidget* QtUi::dialogParent() const {
    if (QWidget* active = QApplication::activeModalWidget()) return active;
    if (QWidget* active = QApplication::activeWindow()) return active;
    if (view_ && view_->mainWindow() && view_->mainWindow()->isVisible()) return view_->mainWindow();
    return nullptr;
}

void QtUi::dialogClosed() {
    if (app_ && app_->running()) app_->mainWindow().formActivate();
}

void QtUi::message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, toQt(kProgramTitle), toQt(text), QMessageBox::Ok, dialogParent());
    const NormalCursor pointer;
    box.exec();
    dialogClosed();
}

void QtUi::error(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, toQt(kProgramTitle), toQt(text), QMessageBox::Ok, dialogParent());
    const NormalCursor pointer;
    box.exec();
    dialogClosed();
}

bool QtUi::confirm(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, toQt(caption), toQt(text), QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const NormalCursor pointer;
    const bool yes = box.exec() == QMessageBox::Yes;
    dialogClosed();
    return yes;
}

std::optional<std::string> QtUi::input(const std::string& caption, const std::string& prompt,
                                       const std::string& prefill) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(toQt(caption));
    dialog.setLabelText(toQt(prompt));
    dialog.setTextValue(toQt(prefill));
    dialog.setInputMode(QInputDialog::TextInput);
    const NormalCursor pointer;
    const bool ok = dialog.exec() == QDialog::Accepted;
    dialogClosed();
    if (!ok) return std::nullopt;
    return fromQt(dialog.textValue());
}

std::optional<std::string> QtUi::password(const std::string& tableFile) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(toQt("Пароль"));
    dialog.setLabelText(toQt("Введите пароль таблицы " + tableFile + ":"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    const NormalCursor pointer;
    const bool ok = dialog.exec() == QDialog::Accepted;
    dialogClosed();
    if (!ok) return std::nullopt;
    return fromQt(dialog.textValue());
}

void QtUi::showWindow(const std::string& form, bool modal) {
    if (!view_) return;
    view_->showForm(form, modal);
    if (modal) dialogClosed();
}

void QtUi::openUrl(const std::string& url) {
    const QString text = toQt(url);
    // A document is a path; a link names its scheme (https:, mailto:).
    const QUrl target = QFileInfo::exists(text) ? QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath())
                                                : QUrl::fromUserInput(text);
    QDesktopServices::openUrl(target);
}

QStringList QtUi::editorCandidates() {
    QStringList out;
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (!value.isEmpty()) out << value;
    }
    out << "xdg-open" << "gedit" << "mousepad" << "kate" << "featherpad";
    return out;
}

void QtUi::startEditor(const std::string& file) {
    for (const QString& candidate : editorCandidates()) {
        // An editor variable may carry its own arguments ("code --new-window").
        QStringList args = QProcess::splitCommand(candidate);
        if (args.isEmpty()) continue;
        const QString program = args.takeFirst();
        args << toQt(file);
        if (QProcess::startDetached(program, args)) return;
    }
}

void QtUi::reduceClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) return;  // the clipboard cannot be opened
    const QStringList formats = data->formats();
    if (!data->hasText()) {
        if (!formats.isEmpty()) clipboard->clear();
        return;
    }
    // Plain text only, as cp1251 holds it: Cyrillic from Unicode sources stays, the rest becomes '?'.
    const std::string utf8 = data->text().toStdString();
    const QString plain = toQt(utf8FromCp1251(cp1251FromUtf8(utf8)));
    const bool alreadyPlain = formats.size() == 1 && formats.front() == "text/plain" && plain == data->text();
    if (!alreadyPlain) clipboard->setText(plain);
}

bool QtUi::openDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQt(path)));
}

std::filesystem::path QtUi::reportFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    return std::filesystem::path(documents.toStdString()) / "Отчёты";
}

}  // namespace zelt::ui
