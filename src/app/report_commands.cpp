#include "app/report_commands.h"

#include "app/main_window.h"
#include "reports/data_banks.h"
#include "reports/docx_writer.h"

#include <filesystem>

namespace zelt::app {

void installReportCommands(MainWindow& w) {
    struct Bank {
        const char* item;
        reports::DataBank bank;
    };
    static const Bank kBanks[] = {{"N126", reports::DataBank::Families},
                                  {"N155", reports::DataBank::Minors},
                                  {"N140", reports::DataBank::ArchivedMinors},
                                  {"N139", reports::DataBank::ArchivedFamilies}};
    for (const Bank& b : kBanks) {
        const reports::DataBank bank = b.bank;
        w.model().on(b.item, "Click", [&w, bank](const EventArgs&) {
            // Nothing is saved into the data directory: the document is a new file of its own.
            w.showReport(reports::dataBank(w.tables(), bank));
        });
    }
}

}  // namespace zelt::app
