#include "app/report_commands.h"

#include "app/main_window.h"
#include "reports/cards.h"
#include "reports/data_banks.h"
#include "reports/frequency_reports.h"
#include "reports/reasons_report.h"

#include <functional>

namespace zelt::app {
namespace {

// Types a report into a new document and shows it. A failure midway ends the command with its
// error, and what was typed up to there is still shown, as a word processor keeps it open.
void runReport(MainWindow& w, const std::function<void(reports::Document&)>& type) {
    auto doc = std::make_unique<reports::Document>();
    try {
        type(*doc);
    } catch (...) {
        w.showReport(std::move(doc));
        throw;
    }
    w.showReport(std::move(doc));
}

}  // namespace

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
            runReport(w, [&w, bank](reports::Document& doc) { reports::dataBank(w.tables(), bank, doc); });
        });
    }

    // Each card ends with the operational information its register's box shows for the record.
    struct CardItem {
        const char* item;
        reports::Card card;
        const char* noteBox;
    };
    static const CardItem kCards[] = {{"N130", reports::Card::Minor, "RichEdit2"},
                                      {"N149", reports::Card::ArchivedMinor, "RichEdit3"},
                                      {"N131", reports::Card::Family, "RichEdit8"},
                                      {"N150", reports::Card::ArchivedFamily, "RichEdit5"}};
    for (const CardItem& c : kCards) {
        const reports::Card card = c.card;
        const std::string box = c.noteBox;
        w.model().on(c.item, "Click", [&w, card, box](const EventArgs&) {
            const std::string note = w.model().get(box).text;
            runReport(w, [&w, card, &note](reports::Document& doc) { reports::personalCard(w.tables(), card, note, doc); });
        });
    }

    // The statistical reports count first: a list file that cannot be read ends them before any
    // document. The reasons report types while it reads and shows what it typed.
    w.model().on("N156", "Click", [&w](const EventArgs&) {
        const reports::FrequencySection section = reports::countFamilyControl(w.tables(), w.session().dataDir());
        runReport(w, [&section](reports::Document& doc) { reports::typeFamilyControl(section, doc); });
    });
    w.model().on("N134", "Click", [&w](const EventArgs&) {
        const auto pickList = [&w](const char* combo) { return w.model().get(combo).items; };
        const std::vector<reports::FrequencySection> sections =
            reports::countMinors(w.tables(), pickList, w.session().dataDir());
        runReport(w, [&sections](reports::Document& doc) { reports::typeMinorsReport(sections, doc); });
    });
    w.model().on("N151", "Click", [&w](const EventArgs&) {
        runReport(w, [&w](reports::Document& doc) {
            reports::registrationReasonsReport(w.tables(), w.session().dataDir(), doc);
        });
    });
}

}  // namespace zelt::app
