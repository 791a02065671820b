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
    // Chooses the sub-tab of that caption on grid tab `sheet`.
    void showSubTab(const char* sheet, const char* caption) {
        for (const auto& c : model().controls()) {
            if (c->kind != app::ControlKind::TabSheet || c->caption != caption) continue;
            const app::Control& pages = model().get(c->parent);
            if (pages.parent != sheet) continue;
            model().setText(pages.name, c->name);
            model().changed(pages);
            QApplication::processEvents();
            return;
        }
        ADD_FAILURE() << "no sub-tab " << caption << " on " << sheet;
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

TEST_F(CardLayoutTest, MemoBoxesTakeTheWidthTheirGroupHasRoomFor) {
    const struct {
        const char* command;
        const char* sheet;
    } tabs[] = {{"N49", "TabSheet2"}, {"N50", "TabSheet4"}, {"N152", "TabSheet24"}, {"N154", "TabSheet31"},
                };
    int seen = 0, cardMemos = 0;
    for (const auto& c : model().controls())
        for (const auto& t : tabs)
            if (c->kind == app::ControlKind::Memo && sheetOf(*c) == t.sheet) ++cardMemos;
    for (const auto& t : tabs) {
        show(t.command, t.sheet);
        for (const auto& c : model().controls()) {
            if (c->kind != app::ControlKind::Memo || sheetOf(*c) != t.sheet) continue;
            QWidget* memo = view->widget(c->name);
            if (!memo || !memo->isVisibleTo(view->mainWindow())) continue;
            // The whole width of the block of fields it lies in, not what a caption beside it leaves.
            const int room = memo->parentWidget()->contentsRect().width();
            EXPECT_GE(memo->width(), room - 2) << c->name << " on " << t.sheet << ": " << memo->width() << " of " << room;
            ++seen;
        }
    }
    EXPECT_EQ(seen, cardMemos) << "every memo box of the cards is shown";
    show("N49", "TabSheet2");
    EXPECT_GE(view->widget("DBMemo1")->width(), 250) << "the court's article memo";
}

TEST_F(CardLayoutTest, MemoBoxesUnderTheDetailGridsSayWhichFieldEachShows) {
    const struct {
        const char* command;
        const char* sheet;
        const char* subTab;
        std::vector<std::pair<const char*, const char*>> memos;  // memo box, caption above it
    } cases[] = {
        {"N49", "TabSheet1", "Привлечение к ответственности судом", {{"DBMemo11", "Статья"}, {"DBMemo12", "Дополнительные обязанности"}}},
        {"N49", "TabSheet1", "Привлечение к ответственности комиссией", {{"DBMemo13", "Статья"}, {"DBMemo14", "Мера"}, {"DBMemo15", "Рекомендации"}}},
        {"N50", "TabSheet3", "Привлечение к ответственности", {{"DBMemo16", "От кого"}, {"DBMemo17", "Основания"}, {"DBMemo18", "Принятые меры"}, {"DBMemo19", "Дополнит-ные меры"}}},
        {"N49", "TabSheet5", "Привлечение к ответственности судом", {{"DBMemo21", "Статья"}, {"DBMemo22", "Дополнительные обязанности"}}},
        {"N154", "TabSheet30", "Привлечение к ответственности", {{"", "Основания"}}},
    };
    for (const auto& c : cases) {
        show(c.command, c.sheet);
        showSubTab(c.sheet, c.subTab);
        for (const auto& [name, caption] : c.memos) {
            SCOPED_TRACE(std::string(c.subTab) + " " + caption);
            std::string memoName = name;
            if (memoName.empty())  // the institutions' cases memo, numbered after the switched series
                for (const auto& ctl : model().controls())
                    if (ctl->kind == app::ControlKind::Memo && ctl->readOnly && ctl->dataSource == 43) memoName = ctl->name;
            const app::Control& ctl = model().get(memoName);
            EXPECT_TRUE(ctl.readOnly);
            QWidget* memo = view->widget(memoName);
            ASSERT_NE(memo, nullptr);
            QLabel* label = nullptr;
            for (QLabel* l : memo->parentWidget()->findChildren<QLabel*>())
                if (l->text() == QString::fromUtf8(caption)) label = l;
            ASSERT_NE(label, nullptr) << "no caption beside " << memoName;
            // Directly above its memo box.
            const QRect m(memo->mapTo(view->mainWindow(), QPoint(0, 0)), memo->size());
            const QRect l(label->mapTo(view->mainWindow(), QPoint(0, 0)), label->size());
            EXPECT_LE(l.bottom(), m.top()) << memoName;
            EXPECT_GE(l.bottom(), m.top() - 20) << memoName;
            EXPECT_LE(std::abs(l.left() - m.left()), 4) << memoName;
        }
    }
}

}  // namespace
}  // namespace zelt::testing
