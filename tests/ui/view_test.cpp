// The widgets of a window built from model controls: which widget each control becomes, the events
// user actions fire, the model's changes reaching the widgets, tabs, context menus and windows.
#include "ui/widgets.h"
#include "ui_fixture.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <functional>

namespace zelt::testing {
namespace {

using app::ControlKind;

// One small window with a control of each kind the card tabs use.
class ViewTest : public UiTest {
public:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        add("TFormTest", ControlKind::Form, "", "Проба").visible = false;
        add("TestPages", ControlKind::PageControl, "TFormTest").text = "TestSheetA";
        add("TestSheetA", ControlKind::TabSheet, "TestPages", "Первая");
        add("TestSheetB", ControlKind::TabSheet, "TestPages", "Вторая").visible = false;
        add("TestSheetC", ControlKind::TabSheet, "TestPages", "Третья");
        add("TestGroup", ControlKind::GroupBox, "TestSheetA", "Паспорт");
        add("TestLabel", ControlKind::Label, "TestGroup", "Фамилия");
        add("TestEdit", ControlKind::Edit, "TestGroup");
        add("TestComboLabel", ControlKind::Label, "TestGroup", "Город");
        app::Control& combo = add("TestCombo", ControlKind::ComboBox, "TestGroup");
        combo.items = {"Москва", "Тверь"};
        add("TestMemo", ControlKind::Memo, "TestGroup", "Досуг");
        add("TestButton", ControlKind::Button, "TestGroup", "В архив");
        app::Control& nav = add("TestNavigator", ControlKind::Navigator, "TestSheetA");
        nav.items = {"h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9", "h10"};
        app::Control& radio = add("TestRadio", ControlKind::RadioGroup, "TestSheetA", "Номеров в телефоне");
        radio.items = {"5", "6", "7"};
        radio.itemIndex = 0;
        add("TestLink", ControlKind::Label, "TestSheetC", "Сайт").color = 0xFF0000;
        add("TestPopup", ControlKind::PopupMenu, "TFormTest");
        add("TestPopupItem1", ControlKind::MenuItem, "TestPopup", "Фамилия");
        add("TestPopupItem2", ControlKind::MenuItem, "TestPopup", "Имя").visible = false;
        model().get("TestEdit").popupMenu = "TestPopup";
        for (const char* c : {"TestEdit", "TestCombo", "TestMemo"}) record(c, {"Change", "Exit"});
        record("TestButton", {"Click"});
        record("TestLabel", {"Click", "DblClick", "MouseEnter", "MouseLeave"});
        record("TestGroup", {"DblClick"});
        record("TestNavigator", {"Click"});
        record("TestRadio", {"Click"});
        record("TestPages", {"Change"});
        record("TestPopupItem1", {"Click"});
        record("TestPopupItem2", {"Click"});
        build();
    }

    QWidget* form() { return view->window("TFormTest"); }
    void showForm() {
        view->showForm("TFormTest", false);
        showActive(form());
    }
};

TEST_F(ViewTest, EachControlKindBecomesItsWidget) {
    EXPECT_TRUE(qobject_cast<ui::FormDialog*>(form()));
    EXPECT_EQ(form()->windowTitle(), QString("Проба"));
    EXPECT_TRUE(qobject_cast<QTabWidget*>(view->widget("TestPages")));
    EXPECT_EQ(widget<QGroupBox>("TestGroup")->title(), QString("Паспорт"));
    EXPECT_EQ(widget<QLabel>("TestLabel")->text(), QString("Фамилия"));
    EXPECT_TRUE(qobject_cast<QLineEdit*>(view->widget("TestEdit")));
    QComboBox* combo = widget<QComboBox>("TestCombo");
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), QString("Тверь"));
    EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(view->widget("TestMemo")));
    EXPECT_EQ(widget<QPushButton>("TestButton")->text(), QString("В архив"));
    EXPECT_EQ(widget<QGroupBox>("TestRadio")->title(), QString("Номеров в телефоне"));
    // The link label shows its colour: 0xFF0000 in 0x00BBGGRR is blue.
    EXPECT_EQ(widget<QLabel>("TestLink")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(ViewTest, TypingFiresChangeWithTheTextAndLeavingFiresExit) {
    struct Case {
        const char* control;
        std::function<QWidget*(ViewTest&)> target;  // the widget that takes the keys
    };
    const Case cases[] = {
        {"TestEdit", [](ViewTest& t) { return t.view->widget("TestEdit"); }},
        {"TestCombo", [](ViewTest& t) { return static_cast<QWidget*>(qobject_cast<QComboBox*>(t.view->widget("TestCombo"))->lineEdit()); }},
        {"TestMemo", [](ViewTest& t) { return t.view->widget("TestMemo"); }},
    };
    showForm();
    for (const Case& c : cases) {
        events.clear();
        QWidget* target = c.target(*this);
        view->widget(c.control)->setFocus(Qt::OtherFocusReason);
        type(target, "Ив");
        ASSERT_EQ(events.size(), 2u) << c.control;
        EXPECT_EQ(events[0], std::string(c.control) + " Change text=И");
        EXPECT_EQ(events[1], std::string(c.control) + " Change text=Ив");
        view->widget("TestButton")->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(events.size(), 3u) << c.control;
        EXPECT_EQ(events[2], std::string(c.control) + " Exit");
    }
}

TEST_F(ViewTest, ChoosingFromTheListIsAChange) {
    showForm();
    QComboBox* combo = widget<QComboBox>("TestCombo");
    ASSERT_TRUE(combo);
    emit combo->textActivated(combo->itemText(1));
    EXPECT_EQ(events, (std::vector<std::string>{"TestCombo Change text=Тверь"}));
}

TEST_F(ViewTest, MemoLinesKeepTheirLineEnds) {
    showForm();
    model().setText("TestMemo", "первая\r\nвторая");
    EXPECT_EQ(widget<QPlainTextEdit>("TestMemo")->toPlainText(), QString("первая\nвторая"));
    EXPECT_TRUE(events.empty()) << "the model's own text is no typing";
    QTest::keyClick(widget<QPlainTextEdit>("TestMemo"), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(widget<QPlainTextEdit>("TestMemo"), Qt::Key_Return);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "TestMemo Change text=первая\r\nвторая\r\n");
}

TEST_F(ViewTest, ModelTextReplacesTheEditOnlyWhenItDiffers) {
    showForm();
    QLineEdit* edit = widget<QLineEdit>("TestEdit");
    ASSERT_TRUE(edit);
    edit->setFocus();
    type(edit, "Иванов");
    edit->setCursorPosition(2);
    model().setText("TestEdit", "Иванов");  // what the handler stored from the typing
    EXPECT_EQ(edit->cursorPosition(), 2) << "the user's caret stays where it was";
    model().setText("TestEdit", "Петров");
    EXPECT_EQ(edit->text(), QString("Петров"));
}

TEST_F(ViewTest, LongValueShowsItsBeginning) {
    showForm();
    const std::string value = "Отделом внутренних дел Заволжского района города Твери УМВД России по Тверской обл.";
    QLineEdit* edit = widget<QLineEdit>("TestEdit");
    auto* combo = widget<QComboBox>("TestCombo");
    ASSERT_TRUE(edit && combo);
    for (QLineEdit* box : {edit, combo->lineEdit()}) {
        box->setFixedWidth(120);
        ASSERT_GT(box->fontMetrics().horizontalAdvance(QString::fromStdString(value)), 2 * box->width());
    }
    model().setText("TestEdit", value);
    model().setText("TestCombo", value);
    QApplication::processEvents();
    for (QLineEdit* box : {edit, combo->lineEdit()}) {
        EXPECT_EQ(box->text().toStdString(), value);
        EXPECT_EQ(box->cursorPosition(), 0);
        // Not scrolled: the start of the text sits at the box's left edge.
        EXPECT_LT(box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), box->width() / 4);
    }
}

TEST_F(ViewTest, ModelStateReachesTheWidgets) {
    struct Case {
        const char* what;
        std::function<void(app::FormModel&)> change;
        std::function<bool(ViewTest&)> shown;
    };
    const Case cases[] = {
        {"read-only edit", [](app::FormModel& m) { m.setReadOnly("TestEdit", true); },
         [](ViewTest& t) { return t.widget<QLineEdit>("TestEdit")->isReadOnly(); }},
        {"read-only memo", [](app::FormModel& m) { m.setReadOnly("TestMemo", true); },
         [](ViewTest& t) { return t.widget<QPlainTextEdit>("TestMemo")->isReadOnly(); }},
        {"hidden button", [](app::FormModel& m) { m.setVisible("TestButton", false); },
         [](ViewTest& t) { return t.view->widget("TestButton")->isHidden(); }},
        {"caption of a group", [](app::FormModel& m) { m.setCaption("TestGroup", "Регистрация"); },
         [](ViewTest& t) { return t.widget<QGroupBox>("TestGroup")->title() == "Регистрация"; }},
        {"caption of a label", [](app::FormModel& m) { m.setCaption("TestLabel", "Имя"); },
         [](ViewTest& t) { return t.widget<QLabel>("TestLabel")->text() == "Имя"; }},
        {"disabled button",
         [](app::FormModel& m) {
             m.get("TestButton").enabled = false;
             m.changed(m.get("TestButton"));
         },
         [](ViewTest& t) { return !t.view->widget("TestButton")->isEnabled(); }},
        {"combo list",
         [](app::FormModel& m) {
             m.get("TestCombo").items = {"Клин"};
             m.get("TestCombo").text = "Клин";
             m.changed(m.get("TestCombo"));
         },
         [](ViewTest& t) {
             QComboBox* c = t.widget<QComboBox>("TestCombo");
             return c->count() == 1 && c->itemText(0) == "Клин" && c->currentText() == "Клин";
         }},
        {"link colour turns red",
         [](app::FormModel& m) {
             m.get("TestLink").color = 0x0000FF;
             m.changed(m.get("TestLink"));
         },
         [](ViewTest& t) { return t.widget<QLabel>("TestLink")->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }},
        {"hidden form window", [](app::FormModel& m) { m.setVisible("TFormTest", false); },
         [](ViewTest& t) { return !t.form()->isVisible(); }},
    };
    showForm();
    for (const Case& c : cases) {
        EXPECT_FALSE(c.shown(*this)) << c.what << ": already so before the change";
        c.change(model());
        EXPECT_TRUE(c.shown(*this)) << c.what;
    }
    EXPECT_TRUE(events.empty()) << events.front();
}

TEST_F(ViewTest, ClicksOnButtonsLabelsAndGroups) {
    showForm();
    // What the window system delivers for a double click.
    const auto doubleClick = [](QWidget* w, QPoint pos) {
        QTest::mouseClick(w, Qt::LeftButton, {}, pos);
        QTest::mousePress(w, Qt::LeftButton, {}, pos);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(w, &dbl);
        QTest::mouseRelease(w, Qt::LeftButton, {}, pos);
    };
    QTest::mouseClick(view->widget("TestButton"), Qt::LeftButton);
    QTest::mouseClick(view->widget("TestLabel"), Qt::LeftButton);
    doubleClick(view->widget("TestLabel"), QPoint(3, 3));
    doubleClick(view->widget("TestGroup"), QPoint(3, 3));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(view->widget("TestLabel"), &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view->widget("TestLabel"), &leave);
    // A double click is a click followed by the double click, as on the desktop.
    EXPECT_EQ(events, (std::vector<std::string>{"TestButton Click", "TestLabel Click", "TestLabel Click",
                                                "TestLabel DblClick", "TestGroup DblClick", "TestLabel MouseEnter",
                                                "TestLabel MouseLeave"}));
}

TEST_F(ViewTest, NavigatorButtonsNameTheirActionAndShowTheHints) {
    showForm();
    const auto buttons = view->widget("TestNavigator")->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 10);
    std::vector<std::string> expected;
    for (int i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->toolTip(), QString("h%1").arg(i + 1));
        QTest::mouseClick(buttons[i], Qt::LeftButton);
    }
    for (const char* a : {"first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh"})
        expected.push_back(std::string("TestNavigator Click text=") + a);
    EXPECT_EQ(events, expected);
}

TEST_F(ViewTest, NavigatorClickDoesNotLeaveTheFieldBeingTyped) {
    showForm();
    QLineEdit* edit = widget<QLineEdit>("TestEdit");
    edit->setFocus();
    type(edit, "А");
    QTest::mouseClick(view->widget("TestNavigator")->findChildren<QToolButton*>()[7], Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"TestEdit Change text=А", "TestNavigator Click text=post"}));
}

TEST_F(ViewTest, RadioItemChosenByTheUserIsAClickWithItsIndex) {
    showForm();
    QGroupBox* box = widget<QGroupBox>("TestRadio");
    const auto radios = box->findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 3);
    EXPECT_TRUE(radios[0]->isChecked());
    QTest::mouseClick(radios[2], Qt::LeftButton, {}, QPoint(6, radios[2]->height() / 2));
    EXPECT_EQ(events, (std::vector<std::string>{"TestRadio Click text=2"}));
    EXPECT_EQ(model().get("TestRadio").itemIndex, 2);
    model().get("TestRadio").itemIndex = -1;
    model().changed(model().get("TestRadio"));
    for (QRadioButton* r : radios) EXPECT_FALSE(r->isChecked());
}

TEST_F(ViewTest, TabsFollowTheModelAndTheUsersChoiceIsAChange) {
    showForm();
    auto* tabs = qobject_cast<QTabWidget*>(view->widget("TestPages"));
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_TRUE(tabs->isTabVisible(0));
    EXPECT_FALSE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->tabText(2), QString("Третья"));
    EXPECT_EQ(tabs->currentIndex(), 0);

    model().setText("TestPages", "TestSheetC");
    EXPECT_EQ(tabs->currentIndex(), 2);
    model().setVisible("TestSheetB", true);
    EXPECT_TRUE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->currentIndex(), 2) << "showing another tab keeps the selection";
    EXPECT_TRUE(events.empty()) << "the model's choice is not the user's";

    tabs->setCurrentIndex(1);  // as a click on the tab does
    EXPECT_EQ(events, (std::vector<std::string>{"TestPages Change text=TestSheetB"}));
    EXPECT_EQ(model().get("TestPages").text, "TestSheetB");
}

TEST_F(ViewTest, ContextMenuFiresPopupThenOffersTheItemsItLeftVisible) {
    // The Popup handler decides what the menu offers.
    model().on("TestPopup", "Popup", [this](const app::EventArgs&) {
        events.push_back("TestPopup Popup");
        model().setVisible("TestPopupItem1", false);
        model().setVisible("TestPopupItem2", true);
    });
    showForm();
    QWidget* edit = view->widget("TestEdit");
    EXPECT_EQ(edit->contextMenuPolicy(), Qt::CustomContextMenu);
    // Choose the first entry of the menu as soon as it is open.
    QTimer::singleShot(50, [] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) return;
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    emit edit->customContextMenuRequested(QPoint(3, 3));
    EXPECT_EQ(events, (std::vector<std::string>{"TestPopup Popup", "TestPopupItem2 Click"}));
}

TEST_F(ViewTest, FormShownAndHiddenByTheModel) {
    model().setVisible("TFormTest", true);
    QApplication::processEvents();
    EXPECT_TRUE(form()->isVisible()) << "a form the model shows opens by itself";
    model().setVisible("TFormTest", false);
    EXPECT_FALSE(form()->isVisible());
}

TEST_F(ViewTest, ModalFormRunsUntilTheModelHidesIt) {
    bool wasModal = false;
    QTimer::singleShot(50, [&] {
        wasModal = form()->isVisible() && QApplication::activeModalWidget() == form();
        model().setVisible("TFormTest", false);
    });
    view->showForm("TFormTest", true);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form()->isVisible());
}

TEST_F(ViewTest, ModalFormClosedByTheUserIsHiddenInTheModel) {
    QTimer::singleShot(50, [&] { form()->close(); });
    view->showForm("TFormTest", true);
    EXPECT_FALSE(form()->isVisible());
    EXPECT_FALSE(model().get("TFormTest").visible);
}

TEST_F(ViewTest, WindowClosedByTheUserMakesTheMainWindowActiveAgain) {
    showForm();
    // Activation opens the always-open parents' table: close it to see that it happens.
    app.mainWindow().table(9).close();
    form()->close();
    EXPECT_FALSE(model().get("TFormTest").visible);
    EXPECT_TRUE(app.mainWindow().table(9).active());
}

TEST_F(ViewTest, WindowsOpenInTheMiddleOfTheDesktop) {
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* form : {"TForm7", "TForm4", "TForm6"}) {
        view->showForm(form, false);
        QWidget* w = view->window(form);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << form;
        const QPoint offset = w->geometry().center() - avail.center();
        EXPECT_LE(std::abs(offset.x()), 2) << form;
        EXPECT_LE(std::abs(offset.y()), 2) << form << " at " << w->geometry().x() << "," << w->geometry().y();
        w->hide();
    }
}

TEST_F(ViewTest, SmallWindowsAreToolWindows) {
    const struct {
        const char* form;
        bool tool;
    } cases[] = {{"TForm4", true}, {"TForm5", true}, {"TForm7", true}, {"TForm6", false}, {"TFormTest", false}};
    for (const auto& c : cases) {
        QWidget* w = view->window(c.form);
        ASSERT_TRUE(w) << c.form;
        EXPECT_EQ((w->windowFlags() & Qt::WindowType_Mask) == Qt::Tool, c.tool) << c.form;
    }
}

}  // namespace
}  // namespace zelt::testing
