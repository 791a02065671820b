// How the cards read: the family card's mother's and father's blocks each under their heading with
// the family's registration apart and its buttons spaced, memo boxes as wide as the card allows,
// and every memo box under a detail grid captioned with the field it shows.
#include "ui_fixture.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>

#include <string>
#include <vector>

namespace zelt::testing {
namespace {

class CardLayoutTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        if (HasFatalFailure()) return;
        build();
        view->showMain();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->mainWindow()));
    }
    // Chooses a register and one of its tabs as the user does.
    void show(const char* command, const char* sheet) {
        view->action(command)->trigger();
        QApplication::processEvents();
        model().setText("PageControl1", sheet);
        model().changed(model().get("PageControl1"));
        QApplication::processEvents();
    }
    // The card control showing `field` of table object `source`.
    QWidget* entryOf(int source, const char* field) {
        for (const auto& c : model().controls())
            if (c->dataSource == source && c->field == field && c->kind != app::ControlKind::Grid &&
                c->kind != app::ControlKind::Label)
                if (sheetOf(*c) == "TabSheet4") return view->widget(c->name);
        ADD_FAILURE() << "no entry of " << field;
        return nullptr;
    }
    std::string sheetOf(const app::Control& c) {
        const app::Control* p = &c;
        while (p && p->kind != app::ControlKind::TabSheet) p = model().find(p->parent);
        return p ? p->name : "";
    }
    QGroupBox* groupTitled(QWidget* within, const char* title) {
        QGroupBox* found = nullptr;
        for (QGroupBox* g : within->findChildren<QGroupBox*>())
            if (g->title() == QString::fromUtf8(title)) {
                EXPECT_EQ(found, nullptr) << title << ": one group of that heading";
                found = g;
            }
        EXPECT_NE(found, nullptr) << title;
        return found;
    }
};

TEST_F(CardLayoutTest, FamilyCardHoldsEachParentUnderItsHeadingAndTheRegistrationApart) {
    show("N50", "TabSheet4");
    QWidget* card = view->widget("TabSheet4");
    ASSERT_NE(card, nullptr);
    QGroupBox* mother = groupTitled(card, "Мать");
    QGroupBox* father = groupTitled(card, "Отец");
    ASSERT_TRUE(mother && father);
    const struct {
        QGroupBox* group;
        QGroupBox* other;
        std::vector<const char*> fields;
    } parents[] = {
        {mother, father, {"Fm", "Im", "Om", "DRm", "MRm", "Dtm", "Mtm", "MRabm", "Serm", "Nomm", "DVm", "KVm", "ORm",
                          "GRm", "URm", "DomRm", "KRm", "Obm", "Gm", "Um", "Dm", "Km"}},
        {father, mother, {"Fo", "Io", "Oo", "DRo", "MRo", "Dto", "Mto", "MRabo", "Sero", "Nomo", "DVo", "KVo", "ORo",
                          "GRo", "URo", "DomRo", "KRo", "Obo", "Go", "Uo", "Do", "Ko"}},
    };
    for (const auto& p : parents) {
        const QRect box(p.group->mapTo(card, QPoint(0, 0)), p.group->size());
        for (const char* field : p.fields) {
            QWidget* w = entryOf(9, field);
            ASSERT_NE(w, nullptr) << field;
            EXPECT_TRUE(p.group->isAncestorOf(w)) << field << " lies in " << p.group->title().toStdString();
            EXPECT_FALSE(p.other->isAncestorOf(w)) << field;
            EXPECT_TRUE(box.contains(QRect(w->mapTo(card, QPoint(0, 0)), w->size()))) << field << " is drawn inside its block";
        }
    }
    // The two blocks do not overlap, and the family's registration lies in neither.
    EXPECT_FALSE(QRect(mother->mapTo(card, QPoint(0, 0)), mother->size())
                     .intersects(QRect(father->mapTo(card, QPoint(0, 0)), father->size())));
    for (const char* field : {"DKDN", "NKDN", "OKDN", "KKDN", "DCcU", "OCcU", "PCcU"}) {
        QWidget* w = entryOf(9, field);
        ASSERT_NE(w, nullptr) << field;
        EXPECT_FALSE(mother->isAncestorOf(w) || father->isAncestorOf(w)) << field;
    }
    const QString dir = QStringLiteral(ZELT_UI_SHOT_DIR);
    QDir().mkpath(dir);
    auto* scroll = qobject_cast<QScrollArea*>(card);
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->widget()->grab().save(dir + "/family-card.png"));
}

TEST_F(CardLayoutTest, FamilyCardArchiveButtonsStandApart) {
    show("N50", "TabSheet4");
    std::vector<QPushButton*> buttons;
    for (const char* name : {"BitBtn2", "BitBtn3", "BitBtn4"}) {
        auto* b = qobject_cast<QPushButton*>(view->widget(name));
        ASSERT_NE(b, nullptr) << name;
        buttons.push_back(b);
    }
    EXPECT_EQ(buttons[0]->text(), QString("В архив"));
    EXPECT_EQ(buttons[1]->text(), QString("Архив мать"));
    EXPECT_EQ(buttons[2]->text(), QString("Архив отец"));
    QWidget* card = view->widget("TabSheet4");
    const auto rectOf = [card](QWidget* w) { return QRect(w->mapTo(card, QPoint(0, 0)), w->size()); };
    for (size_t i = 0; i < buttons.size(); ++i) {
        // Each shows its whole caption.
        EXPECT_GE(buttons[i]->width(), buttons[i]->fontMetrics().horizontalAdvance(buttons[i]->text())) << i;
        for (size_t j = i + 1; j < buttons.size(); ++j) {
            const QRect a = rectOf(buttons[i]), b = rectOf(buttons[j]);
            EXPECT_FALSE(a.adjusted(-4, -4, 4, 4).intersects(b)) << i << " and " << j << " keep a gap between them";
        }
    }
}

}  // namespace
}  // namespace zelt::testing
