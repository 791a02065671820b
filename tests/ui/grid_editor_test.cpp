// A grid cell being typed into when the user does something else: another register, a report, a
// dialog, closing the window. The program survives, and the typed text is written into the record
// the cell belongs to (leaving the editor), or dropped by Escape, never written elsewhere.
#include "ui/grid_model.h"
#include "ui_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

#include <functional>

namespace zelt::testing {
namespace {

class GridEditorTest : public UiTest {
public:  // the case table reaches the fixture from lambdas
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        // A box stays on the screen a while, its own event loop running, as a real one does.
        dialogs.whileShown = [] { QTest::qWait(30); };
        build();
        view->showMain();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->mainWindow()));
        choose("N49");
        choose("N123");  // typing into the grids is allowed
        ASSERT_FALSE(model().get("DBGrid1").readOnly);
    }
    void choose(const char* item) {
        QAction* a = view->action(item);
        ASSERT_TRUE(a) << item;
        a->trigger();
        QApplication::processEvents();
    }
    QTableView* grid() { return widget<QTableView>("DBGrid1"); }
    int column(const std::string& field) {
        const auto& cols = view->gridModel("DBGrid1")->columns();
        for (size_t i = 0; i < cols.size(); ++i)
            if (cols[i].field == field) return static_cast<int>(i);
        return -1;
    }
    // Opens the editor of the minor's surname cell in row `row` and types `text` over it; returns the
    // minor's link key.
    std::string typeIntoSurname(int row, const QString& text) {
        store::Table& t = app.mainWindow().table(1);
        const std::string sv = t.rowTexts(row, {t.fieldIndex("Sv")})[0];
        const QModelIndex cell = view->gridModel("DBGrid1")->index(row, column("F"));
        view->mainWindow()->activateWindow();
        QApplication::processEvents();
        grid()->setFocus();
        grid()->setCurrentIndex(cell);
        grid()->edit(cell);
        QApplication::processEvents();
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_TRUE(editor) << "the cell editor has the focus";
        if (editor) {
            editor->selectAll();
            type(editor, text);
        }
        return sv;
    }
    // The surname of the live minor with link key `sv` as stored once the user moves on (a record
    // still being edited is posted, as the next move would).
    std::string storedSurname(const std::string& sv) {
        store::Table& t = app.mainWindow().table(1);
        if (!t.active()) t.open();
        if (t.state() != store::Table::State::Browse) t.post();
        for (int r = 0; r < t.recordCount(); ++r) {
            const auto texts = t.rowTexts(r, {t.fieldIndex("Sv"), t.fieldIndex("F")});
            if (texts[0] == sv) return texts[1];
        }
        return "(нет записи)";
    }
};

TEST_F(GridEditorTest, TypedCellIsWrittenWhenTheUserTurnsElsewhere) {
    struct Case {
        const char* what;
        std::function<void(GridEditorTest&)> act;
    };
    const Case cases[] = {
        {"another register", [](GridEditorTest& t) { t.choose("N50"); }},
        {"the same register again", [](GridEditorTest& t) { t.choose("N49"); }},
        {"the register's data bank", [](GridEditorTest& t) { t.choose("N155"); }},
        {"the minor's card", [](GridEditorTest& t) { t.choose("N130"); }},
        {"the About window",
         [](GridEditorTest& t) {
             t.choose("N3");
             t.model().setVisible("TForm4", false);
         }},
        {"a dialog taking the focus",
         [](GridEditorTest& t) {
             QTimer::singleShot(0, [] {
                 if (QWidget* box = QApplication::activeModalWidget()) box->close();
             });
             QMessageBox::information(t.view->mainWindow(), "Банк данных", "Окно поверх сетки");
             QApplication::processEvents();
         }},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        choose("N49");
        if (model().get("DBGrid1").readOnly) choose("N123");
        dialogs.shown.clear();
        const QString surname = QString("Набранная%1").arg(row);
        const std::string sv = typeIntoSurname(row, surname);
        c.act(*this);
        QApplication::processEvents();
        EXPECT_FALSE(dialogs.anyError()) << (dialogs.shown.empty() ? "" : dialogs.shown.back());
        EXPECT_EQ(storedSurname(sv), surname.toStdString());
        ++row;
    }
}

TEST_F(GridEditorTest, EscapeDropsTheTypedCellAndAnotherRegisterStoresNothing) {
    store::Table& t = app.mainWindow().table(1);
    const std::string before = t.rowTexts(1, {t.fieldIndex("F")})[0];
    const std::string sv = typeIntoSurname(1, "Отменённая");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    choose("N50");
    QApplication::processEvents();
    EXPECT_EQ(storedSurname(sv), before);
    EXPECT_FALSE(dialogs.anyError());
}

TEST_F(GridEditorTest, ClosingTheMainWindowWritesTheTypedCell) {
    const std::string sv = typeIntoSurname(2, "Закрытая");
    view->mainWindow()->close();
    QApplication::processEvents();
    view->detach();
    if (app.running()) app.stop();
    app.start();
    EXPECT_EQ(storedSurname(sv), "Закрытая");
}

}  // namespace
}  // namespace zelt::testing
