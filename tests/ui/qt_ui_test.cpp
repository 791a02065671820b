// The real dialogs: what the confirmation, input, message and error boxes show and answer, the
// main window becoming active after a window closes, and which text editor gets started.
#include "ui/qt_ui.h"
#include "ui_fixture.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <fstream>
#include <functional>

namespace zelt::testing {
namespace {

// Runs `answer` on the dialog that opens next, once it is there.
void whenDialogOpens(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start();
}

class QtUiTest : public ::testing::Test {
protected:
    ui::QtUi dialogs;
};

TEST_F(QtUiTest, ConfirmationIsTrueOnlyForYes) {
    const struct {
        const char* what;
        std::function<void(QMessageBox*)> answer;
        bool result;
    } cases[] = {
        {"Yes", [](QMessageBox* b) { b->button(QMessageBox::Yes)->click(); }, true},
        {"No", [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, false},
        {"Escape", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }, false},
    };
    for (const auto& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenDialogOpens([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_TRUE(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            c.answer(box);
        });
        EXPECT_EQ(dialogs.confirm("Подтвердите!", "Удалить запись?"), c.result) << c.what;
        EXPECT_EQ(title, QString("Подтвердите!"));
        EXPECT_EQ(text, QString("Удалить запись?"));
        EXPECT_EQ(icon, QMessageBox::Warning) << "the exclamation icon";
    }
}

TEST_F(QtUiTest, ClipboardIsReducedToPlainTextCp1251CanHold) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* rich = new QMimeData;
    rich->setHtml("<b>Иванов</b> \u2603");
    rich->setText(QString::fromUtf8("Иванов \u2603"));
    clipboard->setMimeData(rich);
    dialogs.reduceClipboard();
    EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{"text/plain"});
    EXPECT_EQ(clipboard->text(), QString::fromUtf8("Иванов ?"));

    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    dialogs.reduceClipboard();
    const QMimeData* left = clipboard->mimeData();  // an emptied clipboard may hold no data at all
    EXPECT_TRUE(!left || (!left->hasImage() && !left->hasText()));
}

TEST_F(QtUiTest, MessageAndErrorBoxesShowTheirTextWithOk) {
    const struct {
        const char* what;
        std::function<void(ui::QtUi&)> show;
        QMessageBox::Icon icon;
    } cases[] = {
        {"message", [](ui::QtUi& d) { d.message("Запись перенесена"); }, QMessageBox::NoIcon},
        {"error", [](ui::QtUi& d) { d.error("Запись перенесена"); }, QMessageBox::Critical},
    };
    for (const auto& c : cases) {
        QString text;
        QMessageBox::Icon icon = QMessageBox::Question;
        bool onlyOk = false;
        whenDialogOpens([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_TRUE(box);
            text = box->text();
            icon = box->icon();
            onlyOk = box->buttons().size() == 1 && box->button(QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        });
        c.show(dialogs);
        EXPECT_EQ(text, QString("Запись перенесена")) << c.what;
        EXPECT_EQ(icon, c.icon) << c.what;
        EXPECT_TRUE(onlyOk) << c.what;
    }
}

TEST_F(QtUiTest, InputGivesTheTypedTextOrNothingOnCancel) {
    const struct {
        const char* typed;  // null: Cancel
        std::optional<std::string> result;
    } cases[] = {{"Петров", std::string("Иванов Петров")}, {nullptr, std::nullopt}};
    for (const auto& c : cases) {
        QString prefill, prompt;
        whenDialogOpens([&](QWidget* w) {
            auto* dialog = qobject_cast<QInputDialog*>(w);
            ASSERT_TRUE(dialog);
            prefill = dialog->textValue();
            prompt = dialog->labelText();
            auto* box = dialog->findChild<QDialogButtonBox*>();
            ASSERT_TRUE(box);
            if (!c.typed) {
                box->button(QDialogButtonBox::Cancel)->click();
                return;
            }
            QLineEdit* edit = dialog->findChild<QLineEdit*>();
            edit->end(false);
            UiTest::type(edit, QString(" ") + c.typed);
            box->button(QDialogButtonBox::Ok)->click();
        });
        EXPECT_EQ(dialogs.input("Фильтр", "Фамилия", "Иванов"), c.result);
        EXPECT_EQ(prefill, QString("Иванов"));
        EXPECT_EQ(prompt, QString("Фамилия"));
    }
}

TEST_F(QtUiTest, PasswordIsTypedHidden) {
    QLineEdit::EchoMode mode = QLineEdit::Normal;
    whenDialogOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<QInputDialog*>(w);
        ASSERT_TRUE(dialog);
        mode = dialog->textEchoMode();
        dialog->setTextValue("1234");
        dialog->accept();
    });
    EXPECT_EQ(dialogs.password("Perenos/ZELT/ZELT.db"), std::optional<std::string>("1234"));
    EXPECT_EQ(mode, QLineEdit::Password);
}

// A fake editor that writes the file it was given next to itself.
class EditorTest : public QtUiTest {
protected:
    DataDir dir;
    std::filesystem::path script = dir / "editor.sh";
    std::filesystem::path opened = dir / "opened.txt";

    void SetUp() override {
        std::ofstream out(script);
        out << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened.string() << "'\n";
        out.close();
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        saved_[0] = qgetenv("VISUAL");
        saved_[1] = qgetenv("EDITOR");
    }
    void TearDown() override {
        restore("VISUAL", saved_[0]);
        restore("EDITOR", saved_[1]);
    }
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull()) qunsetenv(name);
        else qputenv(name, value);
    }
    std::string waitForOpened() {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (std::filesystem::exists(opened) && std::filesystem::file_size(opened) > 0) return readFile(opened);
            QTest::qWait(20);
        }
        return {};
    }

private:
    QByteArray saved_[2];
};

TEST_F(EditorTest, StartsTheFirstEditorThatCanStart) {
    const struct {
        const char* what;
        std::string visual, editor;
    } cases[] = {
        {"VISUAL", script.string(), "/nonexistent/editor"},
        {"EDITOR after a VISUAL that cannot start", "/nonexistent/editor", script.string()},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(opened);
        qputenv("VISUAL", QByteArray::fromStdString(c.visual));
        qputenv("EDITOR", QByteArray::fromStdString(c.editor));
        const std::string file = (dir / "ul.vrk").string();
        dialogs.startEditor(file);
        EXPECT_EQ(waitForOpened(), file) << c.what;
    }
}

TEST(QtUiCandidates, EnvironmentEditorsComeFirst) {
    const QByteArray visual = qgetenv("VISUAL"), editor = qgetenv("EDITOR");
    qputenv("VISUAL", "code --wait");
    qunsetenv("EDITOR");
    const QStringList c = ui::QtUi::editorCandidates();
    ASSERT_GE(c.size(), 2);
    EXPECT_EQ(c[0], QString("code --wait"));
    EXPECT_EQ(c[1], QString("xdg-open"));
    if (visual.isNull()) qunsetenv("VISUAL");
    else qputenv("VISUAL", visual);
    if (!editor.isNull()) qputenv("EDITOR", editor);
}

// Windows of the program through the services, with the application running.
class QtUiWindowTest : public UiTest {
protected:
    ui::QtUi qtDialogs;
};

TEST_F(QtUiWindowTest, ModalWindowReturnsWhenHiddenAndTheMainWindowIsActiveAgain) {
    add("TFormModal", app::ControlKind::Form, "", "Окно").visible = false;
    build();
    qtDialogs.attach(&app, view.get());
    // Activation opens the always-open parents' table: close it to see that it happens.
    app.mainWindow().table(9).close();
    QTimer::singleShot(50, [this] { model().setVisible("TFormModal", false); });
    qtDialogs.showWindow("TFormModal", true);
    EXPECT_FALSE(view->window("TFormModal")->isVisible());
    EXPECT_TRUE(app.mainWindow().table(9).active());
}

}  // namespace
}  // namespace zelt::testing
