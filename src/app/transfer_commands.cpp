#include "app/transfer_commands.h"

#include "app/main_window.h"
#include "app/progress_window.h"
#include "app/work_tabs.h"
#include "store/safety_copy.h"
#include "transfer/consistency_check.h"
#include "transfer/transfer.h"

#include <string>
#include <vector>

namespace zelt::app {
namespace {

// Which register the work area shows, by its active tab, and the tables reopened for it after the
// transfer: its live and archive tables open, the other two registers' closed.
struct TabRegister {
    Register reg;
    std::vector<int> opens;
    std::vector<int> closes;
};

const std::vector<TabRegister>& tabRegisters() {
    static const std::vector<TabRegister> list = {
        {Register::Minors, {1, 2, 3, 4, 5, 6, 7, 8},
         {9, 10, 11, 12, 13, 14, 15, 16, 33, 34, 35, 36}},
        {Register::Parents, {9, 10, 11, 12, 13, 14, 15, 16},
         {1, 2, 3, 4, 5, 6, 7, 8, 33, 34, 35, 36}},
        {Register::Others, {33, 34, 35, 36}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    return list;
}

void reopenShownRegister(MainWindow& w) {
    const WorkTab* tab = workTabNamed(w.model().get("PageControl1").text);
    if (!tab) return;
    for (const TabRegister& r : tabRegisters())
        if (r.reg == tab->reg) {
            for (int n : r.closes) w.table(n).close();
            for (int n : r.opens) w.table(n).open();
            return;
        }
}

// Every table a merge phase touches: the six sources and targets with their details.
void closeMergeTables(MainWindow& w) {
    for (store::TableId id : store::tableRange(store::TableId::ZELT, store::TableId::PerenosArxivPKOP)) w.table(id).close();
}

// The tables each command may change: the merge targets with their details, and the live tables
// the check deletes from.
const std::vector<int> kMergeTargets = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 33, 34, 35, 36};
const std::vector<int> kCheckTargets = {1, 2, 3, 4, 9, 10, 11, 12};

void writeCopy(MainWindow& w, const std::string& command, const std::vector<int>& tables) {
    store::writeSafetyCopy(w.tables().session().dataDir(), stampOf(w.clock()), command, tables);
}

void transferData(MainWindow& w) {
    const bool yes = w.ui().confirm("Подтвердите!", "Перенести данные?");
    w.formActivate();  // the closed question makes the main window active again
    if (!yes) return;
    // Files from another installation are checked before anything is merged: a damaged, foreign or
    // differently laid out one is named by the error and nothing changes.
    transfer::checkSources(w.tables());
    // Everything up to here only reads; the copy is taken before the first change, and a copy
    // that cannot be written stops the command.
    writeCopy(w, "Перенести данные", kMergeTargets);
    ProgressWindow progress(w, "Перенос данных в БД");
    transfer::mergeTransfer(w.tables(), progress);
    closeMergeTables(w);
    reopenShownRegister(w);
}

void checkData(MainWindow& w) {
    const bool yes = w.ui().confirm("Проверить данные?",
                                    "Будут удалены данные в основных таблицах где дата постановки на учёт будет "
                                    "меньше чем дата снятия с учёта в архиве!");
    w.formActivate();
    if (!yes) return;
    // Nothing has changed yet: the copy of the tables the check may delete from comes first.
    writeCopy(w, "Проверка", kCheckTargets);
    ProgressWindow progress(w, "Проверка БД");
    transfer::checkRegisters(w.tables(), progress);
}

}  // namespace

void installTransferCommands(MainWindow& w) {
    FormModel& m = w.model();
    m.on("N124", "Click", [&w](const EventArgs&) { transferData(w); });
    m.on("N153", "Click", [&w](const EventArgs&) { checkData(w); });
}

}  // namespace zelt::app
