// The view's own failures reach the user as the dispatcher words them, once, and the program goes
// on; a handler runs to its end before anything queued behind it does; and what the user ticks
// lands in the model.
#include "store/tree.h"
#include "ui/grid_model.h"
#include "ui_fixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <functional>

namespace zelt::testing {
namespace {

using app::ControlKind;

class ViewErrorsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        add("TFormErrors", ControlKind::Form, "", "Ошибки").visible = false;
    }

    std::vector<std::string> errorsShown() const {
        std::vector<std::string> out;
        for (const std::string& s : dialogs.shown)
            if (s.rfind("error: ", 0) == 0) out.push_back(s);
        return out;
    }
    // What the dispatcher shows for the failure `step` throws.
    std::string dispatcherWords(const std::function<void()>& step) {
        const size_t before = dialogs.shown.size();
        EXPECT_FALSE(app.dispatch(step));
        const std::string words = dialogs.shown.size() > before ? dialogs.shown.back() : std::string();
        dialogs.shown.resize(before);
        return words;
    }
    static void turnEventLoop() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
};

// A control whose data source names no table object: the view tells the user what the
// dispatcher tells for that fault, and builds the window all the same.
struct MissingTableCase {
    const char* name;
    ControlKind kind;
};

void PrintTo(const MissingTableCase& c, std::ostream* os) { *os << c.name; }

class MissingTableTest : public ViewErrorsTest, public ::testing::WithParamInterface<MissingTableCase> {};

TEST_P(MissingTableTest, ShowsTheErrorAndTheWindowIsBuilt) {
    const MissingTableCase& k = GetParam();
    app::Control& c = add(k.name, k.kind, "TFormErrors");
    c.dataSource = 99;
    c.field = "F";
    c.columns = {{"F", "Фамилия", 12}};
    add("ErrAfter", ControlKind::Edit, "TFormErrors");
    build();
    turnEventLoop();
    const std::string expected = dispatcherWords([this] { app.mainWindow().table(99); });
    ASSERT_EQ(expected.rfind("error: ", 0), 0u);
    EXPECT_EQ(errorsShown(), std::vector<std::string>{expected});
    EXPECT_TRUE(app.running());
    EXPECT_NE(view->widget(k.name), nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(view->widget("ErrAfter")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Controls, MissingTableTest,
                         ::testing::Values(MissingTableCase{"ErrEdit", ControlKind::Edit},
                                           MissingTableCase{"ErrGrid", ControlKind::Grid}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another program takes the minors' table out of its file while a grid shows it: scrolling to
// rows not yet read shows the engine's error once, the grid shows no rows it cannot read, and
// the program goes on.
TEST_F(ViewErrorsTest, GridOverATableThatCannotBeReadShowsTheErrorOnce) {
    app::Control& grid = add("ErrRows", ControlKind::Grid, "TFormErrors");
    grid.dataSource = 1;
    grid.columns = {{"F", "Фамилия", 12}, {"I", "Имя", 10}};
    grid.readOnly = true;
    build();
    QWidget* w = view->window("TFormErrors");
    w->resize(400, 200);
    view->showForm("TFormErrors", false);
    showActive(w);
    turnEventLoop();
    ASSERT_TRUE(errorsShown().empty());
    store::Table& minors = app.mainWindow().table(1);
    const std::string file = store::resolvePath(dir.path(), minors.fileName()).string();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const std::string rename = "ALTER TABLE \"" + std::string(minors.layout().name) + "\" RENAME TO gone";
    ASSERT_EQ(sqlite3_exec(other, rename.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close_v2(other);

    auto* table = qobject_cast<QTableView*>(view->widget("ErrRows"));
    ASSERT_NE(table, nullptr);
    ASSERT_GT(table->model()->rowCount(), 40);
    table->scrollToBottom();
    table->viewport()->repaint();
    turnEventLoop();
    table->scrollToTop();
    table->viewport()->repaint();
    turnEventLoop();

    const auto shown = errorsShown();
    ASSERT_EQ(shown.size(), 1u);
    const std::string expected = dispatcherWords([&minors] { minors.refresh(); });
    EXPECT_EQ(shown.front(), expected);
    const int last = table->model()->rowCount() - 1;
    EXPECT_EQ(table->model()->data(table->model()->index(last, 0)).toString(), QString());
    EXPECT_TRUE(app.running());
}

// A command's long loop moves the progress window's bar: the bar shows each value as it is told,
// and nothing waiting in the event loop runs until the command is over.
TEST_F(ViewErrorsTest, ProgressWindowFollowsACommandThatNeverLetsTheEventLoopTurn) {
    add("ErrRun", ControlKind::Button, "TFormErrors", "Пуск");
    std::vector<std::string> order;
    std::vector<int> barShown;
    model().on("ErrRun", "Click", [&](const app::EventArgs&) {
        QTimer::singleShot(0, [&order] { order.push_back("queued call"); });
        app::Control& bar = model().get("ProgressBar1");
        bar.width = 40;
        bar.itemIndex = 0;
        model().changed(bar);
        model().setVisible("TForm7", true);
        view->showForm("TForm7", false);
        auto* widget = qobject_cast<QProgressBar*>(view->widget("ProgressBar1"));
        for (int i = 1; i <= 40; ++i) {
            bar.itemIndex = i;
            model().changed(bar);
            if (i % 10 == 0) barShown.push_back(widget ? widget->value() : -1);
            QTest::qSleep(3);  // the loop outlasts any interval a pump might wait for
        }
        model().setVisible("TForm7", false);
        order.push_back("command ended");
    });
    build();
    view->showForm("TFormErrors", false);
    showActive(view->window("TFormErrors"));
    auto* run = qobject_cast<QPushButton*>(view->widget("ErrRun"));
    ASSERT_NE(run, nullptr);
    run->click();
    turnEventLoop();
    EXPECT_EQ(order, (std::vector<std::string>{"command ended", "queued call"}));
    EXPECT_EQ(barShown, (std::vector<int>{10, 20, 30, 40}));
    EXPECT_TRUE(errorsShown().empty());
}

// Ticks given and taken back by the user are the check list's state in the model, item by item.
TEST_F(ViewErrorsTest, TicksOfTheUserLandInTheModel) {
    app::Control& list = add("ErrTicks", ControlKind::CheckListBox, "TFormErrors");
    list.items = {"Фамилия", "Имя", "Отчество"};
    list.width = 300;
    list.height = 80;
    build();
    auto* widget = qobject_cast<QListWidget*>(view->widget("ErrTicks"));
    ASSERT_NE(widget, nullptr);
    widget->item(1)->setCheckState(Qt::Checked);
    widget->item(2)->setCheckState(Qt::Checked);
    widget->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(model().get("ErrTicks").checked, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(widget->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(widget->item(1)->checkState(), Qt::Unchecked);
}

}  // namespace
}  // namespace zelt::testing
