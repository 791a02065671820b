#include "app/report_commands.h"

#include "app/cards.h"
#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "app/pickers.h"
#include "reports/cards.h"
#include "reports/data_banks.h"
#include "reports/deregistration.h"
#include "reports/universal.h"
#include "reports/frequency_reports.h"
#include "reports/reasons_report.h"

#include "base/date.h"
#include "base/error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

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

// The year the deregistration reports ask for, the current year offered; nothing for a cancel.
// An answer that is not a whole number (or too large for one) is the standard conversion error,
// before any document.
std::optional<int> askYear(MainWindow& w) {
    const int year = civilFromSerial(w.clock().today()).year;
    const std::optional<std::string> answer =
        w.ui().input("Отчёт по снятым", "Введите необходимый текущий год для отчёта", std::to_string(year));
    if (!answer) return std::nullopt;
    const std::string& text = *answer;
    size_t digits = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool whole = digits < text.size();
    for (size_t i = digits; i < text.size(); ++i) whole = whole && text[i] >= '0' && text[i] <= '9';
    errno = 0;
    const long value = whole ? std::strtol(text.c_str(), nullptr, 10) : 0;
    if (!whole || errno == ERANGE || value <= INT_MIN || value >= INT_MAX)
        throw EngineError("\"" + text + "\" не является целым числом");
    return static_cast<int>(value);
}

// A report on the archive that first asks for the year; the table goes to its first record
// before the question.
void installYearReport(MainWindow& w, const char* item, int table,
                       std::function<void(store::TableSet&, int, reports::Document&)> type) {
    w.model().on(item, "Click", [&w, table, type](const EventArgs&) {
        w.tables().table(table).first();
        const std::optional<int> year = askYear(w);
        if (!year) return;
        runReport(w, [&w, &type, &year](reports::Document& doc) { type(w.tables(), *year, doc); });
    });
}

}  // namespace

void installReportCommands(MainWindow& w) {
    installYearReport(w, "N116", 5, [](store::TableSet& t, int year, reports::Document& doc) {
        reports::quarterCounts(t, reports::Archive::Minors, year, doc);
    });
    installYearReport(w, "N119", 13, [](store::TableSet& t, int year, reports::Document& doc) {
        reports::quarterCounts(t, reports::Archive::Families, year, doc);
    });
    installYearReport(w, "N127", 13, reports::yearlyFamilyList);
    // The universal reports: the picker first; nothing is typed when no choice is ticked.
    struct UniversalItem {
        const char* item;
        const char* picker;
        reports::Universal report;
        int table;
    };
    static const UniversalItem kUniversal[] = {{"N42", "TForm2", reports::Universal::Minors, 1},
                                               {"N110", "TForm3", reports::Universal::Families, 9}};
    for (const UniversalItem& u : kUniversal) {
        auto picker = std::make_shared<Picker>(w, u.picker);
        const reports::Universal report = u.report;
        const int table = u.table;
        w.model().on(u.item, "Click", [&w, picker, report, table](const EventArgs&) {
            w.tables().table(table).first();
            picker->open([&w, report](const std::vector<bool>& ticked) {
                if (std::find(ticked.begin(), ticked.end(), true) == ticked.end()) return;
                runReport(w, [&w, report, &ticked](reports::Document& doc) {
                    reports::universalReport(w.tables(), report, ticked, doc);
                });
            });
        });
    }
    w.model().on("N132", "Click", [&w](const EventArgs&) {
        runReport(w, [&w](reports::Document& doc) { reports::convictedList(w.tables(), doc); });
    });

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

    // Each card ends with the operational information the box of its register's grid tab shows
    // for the record of its table object.
    struct CardItem {
        const char* item;
        reports::Card card;
        int table;
    };
    static const CardItem kCards[] = {{"N130", reports::Card::Minor, 1},
                                      {"N149", reports::Card::ArchivedMinor, 5},
                                      {"N131", reports::Card::Family, 9},
                                      {"N150", reports::Card::ArchivedFamily, 13}};
    for (const CardItem& c : kCards) {
        const reports::Card card = c.card;
        const std::string box = gridTabNoteBox(c.table);
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
        const auto pickList = [&w](int table, const char* field) {
            return w.model().get(cardControl(table, field)).items;
        };
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
