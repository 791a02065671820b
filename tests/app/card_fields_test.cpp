// The card rows: every row's caption label, control, list file, phrase menu and capitalisation
// reach the running main window, and the pick lists follow the rows' list files.
#include "app/application.h"
#include "app/cards.h"
#include "base/date.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace zelt {
namespace {

class CardFieldsTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    testing::RecordingUi ui;
    app::FixedClock clock{*parseDate("01.06.2006")};
};

TEST_F(CardFieldsTest, EveryRowIsOnTheWindowWithItsLabelListAndMenu) {
    // Each list file holds its own name, so a combo box or menu shows which file it read.
    for (const std::string& file : app::cardListFiles()) std::ofstream(dir / file) << "from " << file << "\r\n";
    app::Application a(dir.path(), ui, clock);
    a.start();
    ASSERT_FALSE(ui.anyError());
    app::FormModel& m = a.model();
    app::forEachCardField([&](const app::CardGroup& g, const app::CardField& f) {
        const app::Control& c = m.get(f.control);
        EXPECT_EQ(c.parent, g.name) << f.control;
        EXPECT_EQ(c.dataSource, g.source) << f.control;
        EXPECT_EQ(c.field, f.field) << f.control;
        // The label lies directly before its control.
        const auto siblings = m.childrenOf(g.name);
        for (size_t i = 0; i < siblings.size(); ++i)
            if (siblings[i]->name == f.control) {
                ASSERT_GT(i, 0u);
                EXPECT_EQ(siblings[i - 1]->name, f.label) << f.control;
            }
        if (f.caption) EXPECT_EQ(m.get(f.label).caption, f.caption) << f.label;
        if (f.entry == app::Entry::ComboBox && f.list)
            EXPECT_EQ(c.items, std::vector<std::string>{std::string("from ") + f.list}) << f.control;

        ui.shown.clear();
        m.fire(f.label, "DblClick");
        m.fire(f.label, "Click");
        const bool opens = f.list && f.click != app::LabelClick::None;
        EXPECT_EQ(ui.shown, opens ? std::vector<std::string>{std::string("editor: ") + f.list}
                                  : std::vector<std::string>{})
            << f.label;

        EXPECT_EQ(c.popupMenu, f.phrases.menu ? f.phrases.menu : "") << f.control;
        if (f.phrases.menu) {
            m.fire(f.phrases.menu, "Popup");
            const auto items = m.childrenOf(f.phrases.menu);
            ASSERT_EQ(items.size(), 1u) << f.phrases.menu;
            EXPECT_EQ(items[0]->caption, std::string("from ") + f.phrases.file) << f.phrases.menu;
        }
        EXPECT_TRUE(!f.capitalise || m.hasHandler(f.control, "Exit")) << f.control;
    });
}

TEST(CardPickLists, EveryListedComboBoxIsFilledByOneStepOfItsFile) {
    const std::vector<editing::PickListRow> rows = app::pickListRows();
    app::forEachCardField([&rows](const app::CardGroup&, const app::CardField& f) {
        int steps = 0;
        for (const editing::PickListRow& r : rows)
            for (const std::string& combo : r.comboBoxes)
                if (combo == f.control) {
                    ++steps;
                    EXPECT_EQ(r.file, f.list) << f.control;
                }
        EXPECT_EQ(steps, f.entry == app::Entry::ComboBox && f.list ? 1 : 0) << f.control;
    });
}

}  // namespace
}  // namespace zelt
