// The main window as the user sees it: caption, menus, the hidden work area, the four register
// commands chosen from the menu, the status bar, a grid of a register, and a picture of each register.
#include "store/tree_init.h"
#include "ui/grid_model.h"
#include "ui/qt_ui.h"
#include "ui/widgets.h"
#include "ui/wrapping_button.h"
#include "ui_fixture.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTableView>

#include <set>

namespace zelt::testing {
namespace {

std::vector<std::string> texts(const QList<QAction*>& actions, bool visibleOnly) {
    std::vector<std::string> out;
    for (QAction* a : actions)
        if (!a->isSeparator() && (!visibleOnly || a->isVisible())) out.push_back(a->text().toStdString());
    return out;
}

class MainWindowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        build();
        view->showMain();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->mainWindow()));
    }
    QMainWindow* main() { return view->mainWindow(); }
    QMenu* menu(const char* title) {
        for (QAction* a : main()->menuBar()->actions())
            if (a->text() == title) return a->menu();
        return nullptr;
    }
    // Chooses a command from the menu bar as the user does.
    void choose(const char* item) {
        QAction* a = view->action(item);
        ASSERT_TRUE(a) << item;
        a->trigger();
        QApplication::processEvents();
    }
    // The top-level tab set of the work area.
    QTabWidget* workArea() {
        for (QTabWidget* t : main()->centralWidget()->findChildren<QTabWidget*>())
            if (t->parentWidget() && !t->parentWidget()->inherits("QScrollArea") &&
                !t->parentWidget()->parentWidget()->inherits("QScrollArea"))
                return t;
        return main()->centralWidget()->findChild<QTabWidget*>();
    }
    std::vector<std::string> visibleTabs() {
        std::vector<std::string> out;
        QTabWidget* t = workArea();
        for (int i = 0; t && i < t->count(); ++i)
            if (t->isTabVisible(i)) out.push_back(t->tabText(i).toStdString());
        return out;
    }
    std::vector<const app::Control*> statusPanels() {
        std::vector<const app::Control*> out;
        for (const auto& c : model().controls())
            if (c->kind == app::ControlKind::StatusPanel) out.push_back(c.get());
        return out;
    }
    std::vector<QLabel*> panels() {
        std::vector<QLabel*> out;
        for (QLabel* l : main()->statusBar()->findChildren<QLabel*>()) out.push_back(l);
        return out;
    }
};

TEST_F(MainWindowTest, StartsAsTheMenuAndAnEmptyStatusBar) {
    EXPECT_EQ(main()->windowTitle(), QString("Банк данных"));
    EXPECT_EQ(texts(main()->menuBar()->actions(), false),
              (std::vector<std::string>{"Админ", "Отчёты", "О программе", "Выход"}));
    ASSERT_TRUE(menu("Админ"));
    EXPECT_EQ(texts(menu("Админ")->actions(), true),
              (std::vector<std::string>{"БД по несовершеннолетним", "БД по родителям", "БД по прочим",
                                        "БД по учреждениям", "Разрешить редактирование таблиц", "Перенести данные",
                                        "Проверка", "Настройки"}));
    ASSERT_TRUE(menu("Отчёты"));
    EXPECT_EQ(texts(menu("Отчёты")->actions(), true), (std::vector<std::string>{"Отчёт семьи (Контроль)"}))
        << "only the family control report before a register is chosen";
    ASSERT_TRUE(workArea());
    EXPECT_FALSE(workArea()->isVisible()) << "the work area is hidden until a register is chosen";
    const std::vector<int> widths = {170, 270, 170, 150, 150, 150, 50};
    ASSERT_EQ(panels().size(), widths.size());
    for (size_t i = 0; i < widths.size(); ++i) {
        EXPECT_EQ(panels()[i]->width(), widths[i]) << i;
        EXPECT_TRUE(panels()[i]->text().isEmpty()) << i;
    }
}

TEST_F(MainWindowTest, ClientAreaIsFixedAndTheWindowCannotBeMaximised) {
    const int menuHeight = main()->menuBar()->height();
    EXPECT_EQ(main()->width(), 970);
    EXPECT_EQ(main()->height() - menuHeight, 687);
    EXPECT_EQ(main()->minimumSize(), main()->maximumSize());
    EXPECT_FALSE(main()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main()->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(MainWindowTest, RegisterCommandsShowTheirTabsCaptionAndStatistics) {
    const struct {
        const char* item;
        const char* caption;
        std::vector<std::string> tabs;
        int table;  // whose record count panel 0 begins with, after its prefix
        const char* panel0;
        const char* report;  // a report item only this register shows
    } cases[] = {
        {"N49", "Банк данных по несовершеннолетним", {"Несовершеннолетние", "БД несовершеннолетних", "Архив несовершеннолетние"}, 1, "Всего- ", "Универсальный (несовершеннолетние)"},
        {"N50", "Банк данных по родителям", {"Родители", "БД родителей", "Архив родители"}, 0, "Всего семей- ", "Универсальный (родители)"},
        {"N152", "Банк данных по прочим", {"Прочие", "БД прочие", "Архив прочие"}, 33, "Всего- ", nullptr},
        {"N154", "Банк данных по учреждениям", {"Учреждения", "БД учреждения", "Архив учреждения"}, 0, "Рассмотрено - ", nullptr},
    };
    for (const auto& c : cases) {
        choose(c.item);
        EXPECT_FALSE(dialogs.anyError()) << c.item << ": " << dialogs.shown.back();
        EXPECT_EQ(main()->windowTitle().toStdString(), c.caption);
        EXPECT_TRUE(workArea()->isVisible()) << c.item;
        EXPECT_EQ(visibleTabs(), c.tabs);
        EXPECT_EQ(workArea()->tabText(workArea()->currentIndex()).toStdString(), c.tabs[0]) << "the grid tab is chosen";
        const std::string panel0 = panels()[0]->text().toStdString();
        if (c.table) {
            EXPECT_EQ(panel0, c.panel0 + std::to_string(app.mainWindow().table(c.table).recordCount()));
        } else {
            EXPECT_EQ(panel0.rfind(c.panel0, 0), 0u) << panel0;
        }
        // Each panel shows its model text at its model width.
        const auto models = statusPanels();
        ASSERT_EQ(models.size(), panels().size());
        for (size_t i = 0; i < models.size(); ++i) {
            EXPECT_EQ(panels()[i], view->widget(models[i]->name)) << i;
            EXPECT_EQ(panels()[i]->text().toStdString(), models[i]->text) << c.item << " panel " << i;
            EXPECT_EQ(panels()[i]->width(), models[i]->width) << c.item << " panel " << i;
        }
        const auto reports = texts(menu("Отчёты")->actions(), true);
        if (c.report) {
            EXPECT_NE(std::find(reports.begin(), reports.end(), c.report), reports.end()) << c.item;
        } else {
            EXPECT_EQ(reports, (std::vector<std::string>{"Отчёт семьи (Контроль)"})) << c.item;
        }
    }
}

TEST_F(MainWindowTest, MinorsGridShowsTheRegisterWithItsAdultsCyan) {
    choose("N49");
    auto* grid = qobject_cast<QTableView*>(view->widget("DBGrid1"));
    ASSERT_TRUE(grid);
    ui::TableGridModel* rows = view->gridModel("DBGrid1");
    store::Table& t = app.mainWindow().table(1);
    ASSERT_GT(t.recordCount(), 0);
    EXPECT_EQ(rows->rowCount(), t.recordCount());
    const int surname = t.fieldIndex("F");
    int adult = -1;
    for (int r = 0; r < t.recordCount() && adult < 0; ++r)
        if (t.rowTexts(r, {t.fieldIndex("L")})[0] == "18") adult = r;
    ASSERT_GE(adult, 0);
    int column = -1;
    for (int c = 0; c < rows->columnCount(); ++c)
        if (rows->columns()[static_cast<size_t>(c)].field == "F") column = c;
    ASSERT_GE(column, 0);
    EXPECT_EQ(rows->index(adult, column).data().toString().toStdString(), t.rowTexts(adult, {surname})[0]);
    EXPECT_EQ(rows->index(adult, column).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 255));
}

TEST_F(MainWindowTest, ChoosingAnotherTabIsTheWorkAreasChange) {
    choose("N49");
    QTabWidget* tabs = workArea();
    const int archive = 4;  // "Архив несовершеннолетние"
    ASSERT_EQ(tabs->tabText(archive), QString("Архив несовершеннолетние"));
    tabs->setCurrentIndex(archive);
    QApplication::processEvents();
    EXPECT_EQ(panels()[0]->text().toStdString(), "Всего- " + std::to_string(app.mainWindow().table(5).recordCount()));
}

TEST_F(MainWindowTest, CommandRunsWithTheMenuRedrawnAwayAndTheWaitCursor) {
    int paints = 0;
    ui::EventTap tap(main()->centralWidget(), [&](QEvent* e) {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    });
    QApplication::processEvents();
    struct Seen {
        int paints = -1;
        bool waiting = false;
    } seen;
    model().on("N49", "Click", [&](const app::EventArgs&) {
        seen.paints = paints;
        seen.waiting = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    const int before = paints;
    choose("N49");
    EXPECT_GT(seen.paints, before) << "the window under the menu is painted before the command runs";
    EXPECT_TRUE(seen.waiting) << "the wait cursor shows while the command runs";
    EXPECT_FALSE(QApplication::overrideCursor()) << "and goes when it ends";

    // Typing is no command: no wait cursor for it.
    model().on("DBEdit1", "Change", [&](const app::EventArgs&) { seen.waiting = QApplication::overrideCursor() != nullptr; });
    seen.waiting = true;
    choose("N123");
    auto* edit = qobject_cast<QLineEdit*>(view->widget("DBEdit1"));
    ASSERT_TRUE(edit);
    QTest::keyClicks(edit, "x");
    EXPECT_FALSE(seen.waiting);
}

TEST_F(MainWindowTest, DialogOfACommandShowsTheOrdinaryCursor) {
    ui::QtUi boxes;
    bool waitingInBox = true;
    model().on("N49", "Click", [&](const app::EventArgs&) {
        QTimer::singleShot(50, [&] {
            waitingInBox = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        boxes.message("Сообщение команды");
    });
    choose("N49");
    EXPECT_FALSE(waitingInBox);
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(MainWindowTest, SettingsSaveOnEnterAndCloseUnsavedOnEscape) {
    const std::filesystem::path setup = dir.path() / "setup.vrk";
    const struct {
        Qt::Key key;
        int item;  // the radio item chosen before the key
        const char* stored;
    } cases[] = {{Qt::Key_Return, 1, "6\r\n"}, {Qt::Key_Escape, 2, "6\r\n"}, {Qt::Key_Enter, 2, "7\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        model().setVisible("TForm5", true);
        view->showForm("TForm5", false);
        QWidget* w = view->window("TForm5");
        showActive(w);
        auto* radio = qobject_cast<QGroupBox*>(view->widget("RadioGroup1"));
        ASSERT_TRUE(radio);
        radio->findChildren<QRadioButton*>()[c.item]->click();
        QTest::keyClick(w, c.key);
        QApplication::processEvents();
        EXPECT_FALSE(w->isVisible()) << "the window closes";
        EXPECT_FALSE(model().get("TForm5").visible);
        EXPECT_EQ(readFile(setup), c.stored);
    }
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndEndsTheProgram) {
    bool closed = false;
    view->onMainClosed = [&] { closed = true; };
    choose("N4");
    QApplication::processEvents();
    EXPECT_FALSE(app.running());
    EXPECT_FALSE(main()->isVisible());
    EXPECT_TRUE(closed);
}

TEST_F(MainWindowTest, PictureOfEachRegister) {
    const QString dir = QStringLiteral(ZELT_UI_SHOT_DIR);
    QDir().mkpath(dir);
    for (const char* item : {"N49", "N50", "N152", "N154"}) {
        choose(item);
        const QImage shot = main()->grab().toImage();
        ASSERT_FALSE(shot.isNull());
        EXPECT_EQ(shot.size(), main()->size());
        const QString file = dir + "/register-" + item + ".png";
        ASSERT_TRUE(shot.save(file)) << file.toStdString();
        // A picture of a register is not one flat colour.
        const QImage small = shot.scaled(32, 32);
        std::set<QRgb> colours;
        for (int y = 0; y < small.height(); ++y)
            for (int x = 0; x < small.width(); ++x) colours.insert(small.pixel(x, y));
        EXPECT_GT(colours.size(), 8u) << item;
        // And each of the register's other tabs, chosen as the user does.
        QTabWidget* tabs = workArea();
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i) || i == tabs->currentIndex()) continue;
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_TRUE(main()->grab().save(dir + QString("/register-%1-tab%2.png").arg(item).arg(i)));
        }
    }
}

TEST_F(MainWindowTest, SmallWindowsAtTheirSizeWithTheirContent) {
    const QString dir = QStringLiteral(ZELT_UI_SHOT_DIR);
    QDir().mkpath(dir);
    const struct {
        const char* form;
        const char* caption;
        QSize client;
    } cases[] = {{"TForm4", "О программе", {334, 322}}, {"TForm5", "Настройки", {243, 108}}};
    for (const auto& c : cases) {
        view->showForm(c.form, false);
        QWidget* w = view->window(c.form);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w)) << c.form;
        EXPECT_EQ(w->windowTitle(), QString(c.caption));
        // At least the client area the window was made with; more only where its content needs it.
        EXPECT_GE(w->width(), c.client.width()) << c.form;
        EXPECT_GE(w->height(), c.client.height()) << c.form;
        EXPECT_EQ(w->size(), c.client) << c.form << ": the window keeps the size it was made with";
        EXPECT_TRUE(w->grab().save(dir + "/" + c.form + ".png"));
        model().setVisible(c.form, false);
        EXPECT_FALSE(w->isVisible());
    }
    // The About window keeps its size whatever the region file says; the owner line wraps inside.
    {
        const std::string longOwner(
            "Заместитель председателя комиссии по делам несовершеннолетних и защите их прав администрации "
            "городского округа");
        model().setCaption("TForm4.Label7", longOwner);
        view->showForm("TForm4", false);
        QWidget* w = view->window("TForm4");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        EXPECT_EQ(w->size(), QSize(334, 322));
        auto* owner = qobject_cast<QLabel*>(view->widget("TForm4.Label7"));
        ASSERT_TRUE(owner);
        EXPECT_EQ(owner->text().toStdString(), longOwner);
        EXPECT_LE(owner->mapTo(w, QPoint(owner->width(), 0)).x(), w->width()) << "the owner line stays inside";
        EXPECT_TRUE(w->grab().save(QStringLiteral(ZELT_UI_SHOT_DIR) + "/TForm4-long-owner.png"));
        model().setVisible("TForm4", false);
    }
    auto* picture = qobject_cast<QLabel*>(view->widget("Image1"));
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->pixmap().isNull()) << "the About picture is shown";
}

// The Administrator window opened as the user opens it: a double click on the About window's
// small label, beside the main window, at its size, the clear buttons in a column at their width
// on the left, "Включить таблицы" top right, the four transfer grids in two columns.
TEST_F(MainWindowTest, AdministratorWindowOpensFromTheAboutWindowLaidOutAsDesigned) {
    view->showForm("TForm4", false);
    QWidget* about = view->window("TForm4");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
    QWidget* label = view->widget("Label14");
    ASSERT_TRUE(label);
    QTest::mouseDClick(label, Qt::LeftButton);
    QApplication::processEvents();
    QWidget* w = view->window("TForm6");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_FALSE(w->isModal());
    EXPECT_EQ(w->windowTitle(), QString("Администратор"));
    EXPECT_EQ(w->size(), QSize(849, 617));

    const char* const buttons[][2] = {
        {"Button1", "Очистить всё"},
        {"Button2", "Очистить таблицу несовершеннолетних"},
        {"Button4", "Очистить архив несовершеннолетних"},
        {"Button3", "Очистить таблицу родителей"},
        {"Button5", "Очистить архив родителей"},
        {"Button7", "Очистить таблицу прочие"},
        {"Button8", "Очистить архив прочие"},
        {"Button6", "Очистить перенос"},
    };
    const auto at = [w](QWidget* c) { return QRect(c->mapTo(w, QPoint(0, 0)), c->size()); };
    int previousBottom = -1, left = -1;
    for (const auto& b : buttons) {
        auto* button = qobject_cast<QPushButton*>(view->widget(b[0]));
        ASSERT_TRUE(button) << b[0];
        EXPECT_EQ(button->text(), QString(b[1]));
        EXPECT_EQ(button->width(), 250) << b[0];
        const QRect r = at(button);
        EXPECT_GT(r.top(), previousBottom) << b[0] << " below the one before";
        if (left >= 0) {
            EXPECT_EQ(r.left(), left) << b[0] << " in the one column";
        }
        left = r.left();
        previousBottom = r.bottom();
    }
    auto* open = qobject_cast<QPushButton*>(view->widget("TForm6.BitBtn1"));
    ASSERT_TRUE(open);
    EXPECT_EQ(open->text(), QString("Включить таблицы"));
    QRect grids[4];
    for (int i = 0; i < 4; ++i) {
        auto* grid = qobject_cast<QTableView*>(view->widget("TForm6.DBGrid" + std::to_string(i + 1)));
        ASSERT_TRUE(grid) << i;
        grids[i] = at(grid);
        EXPECT_GT(grids[i].left(), left + 250) << "grids right of the buttons";
        EXPECT_GT(grids[i].top(), at(open).bottom()) << "grids below Включить таблицы";
        EXPECT_LE(grids[i].right(), w->width());
        EXPECT_LE(grids[i].bottom(), w->height());
    }
    EXPECT_GT(at(open).left(), grids[2].left()) << "Включить таблицы at the top right";
    EXPECT_EQ(grids[0].left(), grids[1].left());
    EXPECT_GT(grids[1].top(), grids[0].bottom()) << "transfer minors above their archive";
    EXPECT_EQ(grids[2].left(), grids[3].left());
    EXPECT_GT(grids[3].top(), grids[2].bottom());
    EXPECT_GT(grids[2].left(), grids[0].right()) << "families right of the minors";
    EXPECT_TRUE(w->grab().save(QStringLiteral(ZELT_UI_SHOT_DIR) + "/TForm6.png"));

    // The main window works beside it; its close box hides it and leaves the transfer masters open.
    EXPECT_TRUE(view->mainWindow()->isEnabled());
    QTest::mouseClick(open, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(app.mainWindow().table(17).active());
    w->close();
    QApplication::processEvents();
    EXPECT_FALSE(model().get("TForm6").visible);
    EXPECT_TRUE(app.mainWindow().table(29).active());
}

// The lines a push button draws and the width they may take inside its frame: a caption wider
// than that is cut on the screen.
struct ShownCaption {
    QStringList lines;
    int room = 0;
};
ShownCaption shownCaption(const QPushButton& b) {
    if (const auto* w = dynamic_cast<const ui::WrappingButton*>(&b)) return {w->shownLines(), w->textWidth()};
    QStyleOptionButton o;
    o.initFrom(&b);
    const int padding = b.style()->sizeFromContents(QStyle::CT_PushButton, &o, QSize(0, 0), &b).width();
    return {{b.text()}, b.width() - padding};
}

// Every caption of the 250-pixel column shows whole: each line it draws fits the button, and the
// button is tall enough for all of them.
TEST_F(MainWindowTest, AdministratorButtonCaptionsFitTheirColumn) {
    view->showForm("TForm6", false);
    QWidget* w = view->window("TForm6");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    for (const char* name : {"Button1", "Button2", "Button4", "Button3", "Button5", "Button7", "Button8", "Button6"}) {
        auto* button = qobject_cast<QPushButton*>(view->widget(name));
        ASSERT_TRUE(button) << name;
        EXPECT_EQ(button->width(), 250) << name;
        const ShownCaption shown = shownCaption(*button);
        EXPECT_EQ(shown.lines.join(' '), button->text()) << name << ": every word is shown";
        const QFontMetrics fm = button->fontMetrics();
        for (const QString& line : shown.lines)
            EXPECT_LE(fm.horizontalAdvance(line), shown.room) << name << ": \"" << line.toStdString() << "\" is cut";
        EXPECT_GE(button->height(), fm.lineSpacing() * static_cast<int>(shown.lines.size()) + 4) << name;
    }
}

// A register large enough that the panels' texts, at 8 pixels a character, are wider together
// than the window.
class LargeRegisterTest : public MainWindowTest {
protected:
    void SetUp() override {
        demo::Sizes sizes;
        sizes.minors = 12000;
        sizes.families = 50;
        sizes.others = 5;
        sizes.institutions = 2;
        init::writeDemo(dir.path(), app::kTablePassword, demo::generateDemo(sizes, 7, *parseDate(kToday)));
        app.start();
        ASSERT_TRUE(app.running());
        build();
        view->showMain();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->mainWindow()));
    }
};

TEST_F(LargeRegisterTest, StatusPanelsNeverOverlapAndTheFirstThreeCanBeRead) {
    choose("N49");
    const auto labels = panels();
    ASSERT_EQ(labels.size(), 7u);
    int total = 0;
    for (const app::Control* p : statusPanels()) total += p->width;
    ASSERT_GT(total, main()->width()) << "the case needs panels wider together than the window";
    for (size_t i = 0; i < labels.size(); ++i) {
        const QRect a = labels[i]->geometry();
        for (size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(a.intersects(labels[j]->geometry())) << i << " and " << j;
        if (i + 1 < labels.size()) EXPECT_LE(a.right(), labels[i + 1]->geometry().left()) << "left to right";
    }
    for (size_t i = 0; i < 3; ++i) {
        QLabel* l = labels[i];
        const QRect onScreen = QRect(l->mapTo(main(), QPoint(0, 0)), l->size());
        EXPECT_TRUE(main()->rect().contains(onScreen)) << i;
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->contentsRect().width()) << l->text().toStdString();
        EXPECT_FALSE(l->text().isEmpty()) << i;
    }
}

}  // namespace
}  // namespace zelt::testing
