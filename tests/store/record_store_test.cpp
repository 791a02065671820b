// The record store answers a cursor's questions itself: the rows of a range in an order, a count,
// a limit, a filter judged on every row, and writes that are all or nothing.
#include "store/record_store.h"

#include "base/date.h"
#include "store/field_codec.h"
#include "store/layout.h"
#include "store/session.h"
#include "store/store_error.h"
#include "store/tree_init.h"

#include "fixture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelt::store::testing {
namespace {

class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        createTableTree(dir_.path(), kPassword);
        session_ = std::make_unique<Session>(dir_.path());
        session_->addPassword(kPassword);
        store_ = openRecordStore(*session_, fileName_, layout_, StoreOptions{});
    }

    Value text(const std::string& s) {
        Value v;
        v.null = s.empty();
        v.text = s;
        return v;
    }
    Value number(double n) {
        Value v;
        v.null = false;
        v.number = n;
        return v;
    }
    // A PNU record: Sv, DSud (day.month.year or ""), MeraSud.
    int64_t add(double sv, const std::string& day, const std::string& mera) {
        std::vector<Value> rec(layout_.fields.size());
        rec[1] = number(sv);
        if (!day.empty()) rec[2] = number(*parseDate(day));
        rec[3] = text(mera);
        return store_->insert(rec);
    }
    filter::Filter parse(const std::string& text) {
        return filter::Filter::parse(text, [this](std::string_view name) -> std::optional<filter::FieldRef> {
            const int i = layout_.indexOf(name);
            if (i < 0) return std::nullopt;
            return filter::FieldRef{i, filterKindOf(layout_.fields[static_cast<size_t>(i)].type)};
        });
    }
    // MeraSud of every row `q` gives, in the order given.
    Strings meras(RecordQuery q) {
        q.read = {3};
        Strings out;
        store_->scan(q, [&](const StoredRow& row) {
            out.push_back(displayText(layout_.fields[3], row.value(3)));
            return true;
        });
        return out;
    }
    Strings stored() { return RawFile(resolvePath(dir_.path(), fileName_)).column("SELECT MeraSud FROM PNU ORDER BY N"); }

    TempDir dir_;
    std::unique_ptr<Session> session_;
    const Layout& layout_ = layoutNamed("PNU");
    const std::string fileName_ = "PNU\\PNU.db";
    std::unique_ptr<RecordStore> store_;
};

TEST_F(RecordStoreTest, RangeFilterOrderAndLimitAreAnsweredByTheStore) {
    add(1, "05.03.2020", "Штраф");
    add(2, "01.01.2021", "Штраф");
    add(1, "", "Арест");
    add(1, "10.10.2019", "Штраф");
    const filter::Filter fines = parse("MeraSud = 'Штраф'");
    const filter::Filter before2020 = parse("DSud < '01.01.2020'");

    RecordQuery range;
    range.rangeFields = {1};
    range.rangeValues = {number(1)};
    range.order = RecordQuery::Order::Counter;

    struct Case {
        const char* name;
        const filter::Filter* filter;
        RecordQuery::Order order;
        std::vector<int> sortFields;
        size_t limit;
        Strings rows;
    };
    const Case cases[] = {
        {"range in counter order", nullptr, RecordQuery::Order::Counter, {}, 0, {"Штраф", "Арест", "Штраф"}},
        {"range by day, blank first", nullptr, RecordQuery::Order::Fields, {2}, 0, {"Арест", "Штраф", "Штраф"}},
        {"range and filter", &fines, RecordQuery::Order::Counter, {}, 0, {"Штраф", "Штраф"}},
        {"range, filter, first only", &fines, RecordQuery::Order::Fields, {2}, 1, {"Штраф"}},
        {"date filter", &before2020, RecordQuery::Order::Counter, {}, 0, {"Штраф"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordQuery q = range;
        q.filter = c.filter;
        q.order = c.order;
        q.sortFields = c.sortFields;
        q.limit = c.limit;
        EXPECT_EQ(meras(q), c.rows);
        q.limit = 0;
        EXPECT_EQ(store_->count(q), static_cast<long>(c.limit ? 2 : c.rows.size()));
    }
    // The day order puts the record of 2019 before the one of 2020.
    RecordQuery byDay = range;
    byDay.order = RecordQuery::Order::Fields;
    byDay.sortFields = {2};
    byDay.read = {2};
    Strings days;
    store_->scan(byDay, [&](const StoredRow& row) {
        days.push_back(displayText(layout_.fields[2], row.value(2)));
        return true;
    });
    EXPECT_EQ(days, (Strings{"", "10.10.2019", "05.03.2020"}));
}

TEST_F(RecordStoreTest, ReadsUpdatesAndRemovesByCounter) {
    const int64_t a = add(1, "", "Штраф");
    const int64_t b = add(1, "", "Арест");
    std::vector<Value> rec;
    ASSERT_TRUE(store_->read(b, rec));
    EXPECT_EQ(rec[3].text, "Арест");
    rec[3] = text("Предупреждение");
    std::vector<bool> dirty(layout_.fields.size(), false);
    dirty[3] = true;
    EXPECT_TRUE(store_->update(b, rec, dirty));
    store_->remove(a);
    EXPECT_FALSE(store_->read(a, rec));
    // A record that is gone reports the update as not done instead of pretending it was.
    EXPECT_FALSE(store_->update(a, rec, dirty));
    EXPECT_EQ(stored(), (Strings{"Предупреждение"}));
    // The counter of a removed record is never given again, even after emptying.
    store_->removeAll();
    EXPECT_GT(add(1, "", "Новая"), b);
}

TEST_F(RecordStoreTest, AtomicWorkThatFailsLeavesNothingStored) {
    add(1, "", "Было");
    EXPECT_THROW(store_->atomically([&] {
        add(1, "", "Первая");
        add(1, "", "Вторая");
        throw std::runtime_error("stop");
    }),
                 std::runtime_error);
    EXPECT_EQ(stored(), (Strings{"Было"}));
    store_->atomically([&] { add(1, "", "Третья"); });
    EXPECT_EQ(stored(), (Strings{"Было", "Третья"}));
}

TEST_F(RecordStoreTest, AnIndexTheFileLacksOrTheStoresOwnIsRefused) {
    EXPECT_EQ(store_->indexFields("Sv1"), (std::vector<int>{1}));
    for (const char* name : {"NoSuch", "zelt_Sv"}) {
        SCOPED_TRACE(name);
        try {
            store_->indexFields(name);
            ADD_FAILURE() << "accepted";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.info().kind, Fault::IndexMissing);
            EXPECT_EQ(e.info().value, name);
        }
    }
}

TEST_F(RecordStoreTest, AReadOnlyStoreRefusesWritesAndLeavesTheFileAsItWas) {
    add(1, "", "Было");
    store_.reset();
    auto ro = openRecordStore(*session_, fileName_, layout_, StoreOptions{true, true});
    std::vector<Value> rec(layout_.fields.size());
    rec[3] = text("Чужая");
    try {
        ro->insert(rec);
        ADD_FAILURE() << "written";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.info().kind, Fault::FileReadOnly);
    }
    ro.reset();
    EXPECT_EQ(stored(), (Strings{"Было"}));
}

}  // namespace
}  // namespace zelt::store::testing
