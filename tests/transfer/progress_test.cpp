// The progress the transfer and the check report: the maximum they set before the first step,
// and one step per source record (per live record for the check), phase by phase in order.
#include "app/main_window.h"
#include "store/table_set.h"
#include "support/test_support.h"
#include "transfer/consistency_check.h"
#include "transfer/progress.h"
#include "transfer/transfer.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

using testing::Fields;

// Records every call, each step with the part of the command it came in (told by `where`).
class RecordingProgress : public transfer::Progress {
public:
    explicit RecordingProgress(std::function<std::string()> where) : where_(std::move(where)) {}
    void setMaximum(int maximum) override { calls.push_back("max " + std::to_string(maximum)); }
    void step() override {
        const std::string at = where_();
        if (!calls.empty() && calls.back().rfind(at + " x", 0) == 0)
            calls.back() = at + " x" + std::to_string(std::stoi(calls.back().substr(at.size() + 2)) + 1);
        else
            calls.push_back(at + " x1");
    }
    std::vector<std::string> calls;

private:
    std::function<std::string()> where_;
};

std::vector<Fields> persons(const char* field, int count) {
    std::vector<Fields> out;
    const std::string birth = std::string(field) == "Im" ? "DRm" : "DR";
    for (int i = 0; i < count; ++i) out.push_back({{field, "Имя" + std::to_string(i)}, {birth, "01.02.1990"}});
    return out;
}

TEST(TransferProgress, MaximumIsEverySourceMasterAndEachRecordIsAStepOfItsPhase) {
    testing::DataDir dir;
    const struct {
        int table;
        const char* field;
        int count;
    } sources[] = {{17, "I", 2}, {25, "I", 1}, {21, "Im", 3}, {29, "Im", 0}, {37, "I", 1}, {39, "I", 2}};
    for (const auto& s : sources)
        if (s.count) testing::seedRecords(dir.path(), s.table, persons(s.field, s.count));
    testing::seedRecords(dir.path(), 1, persons("I", 1));  // found again: the steps are the same
    store::Session session(dir.path());
    session.addPassword(app::kTablePassword);
    store::TableSet tables(session);
    // Each phase opens its source master and closes it after.
    RecordingProgress progress([&] {
        for (const auto& s : sources)
            if (tables.table(s.table).active()) return "Table" + std::to_string(s.table);
        return std::string("none");
    });
    transfer::mergeTransfer(tables, progress);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 9", "Table17 x2", "Table25 x1", "Table21 x3", "Table37 x1",
                                                        "Table39 x2"}));
}

TEST(CheckProgress, MaximumIsTheLiveMinorsAndFamiliesAndEachLiveRecordIsAStep) {
    testing::DataDir dir;
    std::vector<Fields> minors = persons("I", 3);
    minors[1].push_back({"DKDN", "10.01.2005"});
    testing::seedRecords(dir.path(), 1, minors);
    Fields archived = minors[1];
    archived.back() = {"DCcU", "15.03.2005"};
    testing::seedRecords(dir.path(), 5, {archived});  // the second minor is stale and goes
    testing::seedRecords(dir.path(), 9, persons("Im", 2));
    store::Session session(dir.path());
    session.addPassword(app::kTablePassword);
    store::TableSet tables(session);
    RecordingProgress progress([&] { return std::string(tables.table(13).active() ? "families" : "minors"); });
    transfer::checkRegisters(tables, progress);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 5", "minors x3", "families x2"}));
    EXPECT_EQ(tables.table(1).recordCount(), 2);
}

}  // namespace
}  // namespace zelt
