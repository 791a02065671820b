// A grid over a table: the rows it shows and reads, following the table with one refresh per
// event, the events of selection, typing, titles and keys, and the cyan rows of those aged 18+.
#include "ui/grid_model.h"
#include "ui_fixture.h"

#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QTableView>

namespace zelt::testing {
namespace {

using app::ControlKind;

class GridTest : public UiTest {
protected:
    store::Table& minors() { return app.mainWindow().table(1); }

    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        add("TFormGrid", ControlKind::Form, "", "Сетка").visible = false;
        app::Control& grid = add("TestGrid", ControlKind::Grid, "TFormGrid");
        grid.dataSource = 1;
        grid.columns = {{"F", "Фамилия", 12}, {"I", "Имя", 10}, {"L", "Возраст", 3}};
        grid.colourAdults = true;
        grid.readOnly = true;
        add("TestWalk", ControlKind::Button, "TFormGrid", "Обойти");
        model().on("TestWalk", "Click", [this](const app::EventArgs&) {
            store::Table& t = minors();
            for (t.first(); !t.eof(); t.next()) {
            }
            events.push_back("walked");
        });
        record("TestGrid", {"Select", "CellEdit", "TitleClick", "KeyDown", "KeyUp", "MouseUp"});
        build();
        QWidget* w = view->window("TFormGrid");
        w->resize(500, 260);
        view->showForm("TFormGrid", false);
        showActive(w);
    }

    QTableView* grid() { return widget<QTableView>("TestGrid"); }
    ui::TableGridModel* rows() { return view->gridModel("TestGrid"); }
    // The row of the table whose age reads `age`, -1 when none.
    int rowAged(const std::string& age) {
        store::Table& t = minors();
        for (int r = 0; r < t.recordCount(); ++r)
            if (t.rowTexts(r, {t.fieldIndex("L")})[0] == age) return r;
        return -1;
    }
    QColor pixelOfRow(int row) {
        grid()->scrollTo(rows()->index(row, 0));
        QApplication::processEvents();
        const QRect cell = grid()->visualRect(rows()->index(row, 1));
        const QImage shot = grid()->viewport()->grab().toImage();
        // Right end of the cell, clear of the text.
        return shot.pixelColor(cell.right() - 3, cell.center().y());
    }
    // The top edge of the row's middle cell, where the current row has its frame.
    QColor edgeOfRow(int row) {
        grid()->scrollTo(rows()->index(row, 0));
        QApplication::processEvents();
        const QRect cell = grid()->visualRect(rows()->index(row, 1));
        return grid()->viewport()->grab().toImage().pixelColor(cell.center().x(), cell.top());
    }
};

TEST_F(GridTest, ShowsTheRowsOfItsTable) {
    ASSERT_GT(minors().recordCount(), 20);
    EXPECT_EQ(rows()->rowCount(), minors().recordCount());
    ASSERT_EQ(rows()->columnCount(), 3);
    EXPECT_EQ(rows()->headerData(0, Qt::Horizontal).toString(), QString("Фамилия"));
    for (int r : {0, 7, minors().recordCount() - 1}) {
        const auto expected = minors().rowTexts(r, {minors().fieldIndex("F"), minors().fieldIndex("I")});
        EXPECT_EQ(rows()->index(r, 0).data().toString().toStdString(), expected[0]) << r;
        EXPECT_EQ(rows()->index(r, 1).data().toString().toStdString(), expected[1]) << r;
    }
    // Width in characters: the surname column is wider than the age column.
    EXPECT_GT(grid()->columnWidth(0), 3 * grid()->columnWidth(2));
}

TEST_F(GridTest, ReadsOnlyTheRowsOnTheScreen) {
    QApplication::processEvents();
    const long shown = grid()->viewport()->height() / grid()->verticalHeader()->defaultSectionSize() + 1;
    EXPECT_GT(rows()->rowsRead(), 0);
    EXPECT_LE(rows()->rowsRead(), 3 * shown) << "of " << minors().recordCount() << " records";
}

TEST_F(GridTest, WalkInsideOneEventRefreshesOnceAndSelectsTheCurrentRecord) {
    QApplication::processEvents();
    const long before = rows()->refreshes();
    QTest::mouseClick(view->widget("TestWalk"), Qt::LeftButton);
    ASSERT_EQ(events, (std::vector<std::string>{"walked"}));
    QApplication::processEvents();
    EXPECT_EQ(rows()->refreshes(), before + 1);
    EXPECT_EQ(grid()->currentIndex().row(), minors().currentRow());
}

TEST_F(GridTest, UserSelectingARowFiresSelect) {
    const QRect cell = grid()->visualRect(rows()->index(3, 0));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(events, (std::vector<std::string>{"TestGrid Select row=3", "TestGrid MouseUp"}));
}

TEST_F(GridTest, TheTablesOwnMovesDoNotFireSelect) {
    minors().gotoRow(5);
    QApplication::processEvents();
    EXPECT_EQ(grid()->currentIndex().row(), 5);
    EXPECT_TRUE(events.empty()) << events.front();
}

TEST_F(GridTest, KeysAroundTheMoveTheyCause) {
    grid()->setFocus();
    grid()->setCurrentIndex(rows()->index(0, 0));
    events.clear();
    QTest::keyClick(grid(), Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<std::string>{"TestGrid KeyDown", "TestGrid Select row=1", "TestGrid KeyUp"}));
}

TEST_F(GridTest, TitleClickNamesTheColumnsField) {
    QHeaderView* header = grid()->horizontalHeader();
    const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    EXPECT_EQ(events, (std::vector<std::string>{"TestGrid TitleClick field=I"}));
}

TEST_F(GridTest, CellTypingOnlyWhenTheGridIsNotReadOnly) {
    for (const bool readOnly : {true, false}) {
        events.clear();
        model().setReadOnly("TestGrid", readOnly);
        const QModelIndex cell = rows()->index(2, 1);
        EXPECT_EQ(bool(rows()->flags(cell) & Qt::ItemIsEditable), !readOnly);
        EXPECT_EQ(grid()->editTriggers() == QAbstractItemView::NoEditTriggers, readOnly);
        rows()->setData(cell, QString("Новое"));
        if (readOnly) {
            EXPECT_TRUE(events.empty()) << events.front();
        } else {
            EXPECT_EQ(events, (std::vector<std::string>{"TestGrid CellEdit text=Новое field=I row=2"}));
        }
    }
}

TEST_F(GridTest, RowsOfThoseAgedEighteenAreCyanInEveryColumnSelectedOrNot) {
    const int adult = rowAged("18");
    const int minor = rowAged("17");
    ASSERT_GE(adult, 0);
    ASSERT_GE(minor, 0);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(rows()->index(adult, col).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 255)) << col;
    EXPECT_FALSE(rows()->index(minor, 0).data(Qt::BackgroundRole).isValid());

    // Painted: the row as it appears on the screen, selected and not.
    grid()->setCurrentIndex(rows()->index(minor, 0));
    EXPECT_EQ(pixelOfRow(adult), QColor(0, 255, 255));
    EXPECT_NE(pixelOfRow(minor), QColor(0, 255, 255));
    EXPECT_EQ(edgeOfRow(adult), QColor(0, 255, 255)) << "a row that is not current has no frame";
    grid()->setCurrentIndex(rows()->index(adult, 0));
    EXPECT_EQ(pixelOfRow(adult), QColor(0, 255, 255)) << "the selected row is cyan too";
    EXPECT_EQ(edgeOfRow(adult), ui::kCurrentRowFrame) << "and framed, so that it can be found";

    model().get("TestGrid").colourAdults = false;
    model().changed(model().get("TestGrid"));
    EXPECT_NE(pixelOfRow(adult), QColor(0, 255, 255));
}

TEST_F(GridTest, ClosedTableShowsAnEmptyGrid) {
    minors().close();
    QApplication::processEvents();
    EXPECT_EQ(rows()->rowCount(), 0);
    minors().open();
    QApplication::processEvents();
    EXPECT_EQ(rows()->rowCount(), minors().recordCount());
}

TEST_F(GridTest, ColumnWidthFollowsTheModel) {
    const int before = grid()->columnWidth(2);
    model().get("TestGrid").columns[2].width = 7;
    model().changed(model().get("TestGrid"));
    EXPECT_GT(grid()->columnWidth(2), before);
    EXPECT_EQ(rows()->rowCount(), minors().recordCount()) << "the same fields keep the rows";
}

// A register of this size opens and scrolls without reading every record.
TEST(GridModelTest, LargeTableOpensWithoutReadingItsRows) {
    DataDir dir;
    {
        store::Session s(dir.path());
        s.addPassword(app::kTablePassword);
        store::TableSet tables(s);
        store::Table& t = tables.table(33);
        t.open();
        store::Session::Batch batch(s);
        for (int i = 0; i < 100000; ++i) {
            t.append();
            t.setText("F", "Фамилия" + std::to_string(i));
            t.post();
        }
    }
    store::Session s(dir.path());
    s.addPassword(app::kTablePassword);
    store::TableSet tables(s);
    store::Table& t = tables.table(33);
    t.open();
    ui::TableGridModel model(&t, {{"F", "Фамилия", 20}});
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(model.rowCount(), 100000);
    view.scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(model.index(99999, 0).data().toString(), QString("Фамилия99999"));
    EXPECT_LT(model.rowsRead(), 200);
}

}  // namespace
}  // namespace zelt::testing
