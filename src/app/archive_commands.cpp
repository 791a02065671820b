#include "app/archive_commands.h"

#include "app/cards.h"
#include "app/main_window.h"
#include "archive/archive.h"

#include <functional>
#include <vector>

namespace zelt::app {
namespace {

const char* const kConfirmCaption = "Подтвердите!";

// The deregistration fields a card must show before its record can be taken off the register.
bool deregistrationFilled(MainWindow& w, int table, const std::vector<const char*>& fields) {
    for (const char* f : fields)
        if (w.binder().shownText(cardControl(table, f)).empty()) return false;
    return true;
}

}  // namespace

void installArchiveCommands(MainWindow& w) {
    FormModel& m = w.model();
    const std::vector<const char*> minorFields = {"DCcU", "OCcU"};
    const std::vector<const char*> familyFields = {"DCcU", "OCcU", "PCcU"};
    m.on("BitBtn1", "Click", [&w, minorFields](const EventArgs&) {
        if (deregistrationFilled(w, 1, minorFields)) archive::moveToArchive(w.tables(), archive::Register::Minors);
    });
    m.on("BitBtn2", "Click", [&w, familyFields](const EventArgs&) {
        if (deregistrationFilled(w, 9, familyFields)) archive::moveToArchive(w.tables(), archive::Register::Parents);
    });
    m.on("BitBtn3", "Click", [&w, familyFields](const EventArgs&) {
        if (deregistrationFilled(w, 9, familyFields)) archive::archiveParent(w.tables(), archive::Parent::Mother);
    });
    m.on("BitBtn4", "Click", [&w, familyFields](const EventArgs&) {
        if (deregistrationFilled(w, 9, familyFields)) archive::archiveParent(w.tables(), archive::Parent::Father);
    });
    m.on("BitBtn5", "Click", [&w](const EventArgs&) { archive::moveToArchive(w.tables(), archive::Register::Others); });
    m.on("BitBtn6", "Click", [](const EventArgs&) {});  // the institutions have no archive

    struct GridCommand {
        const char* item;
        const char* question;
        archive::Register reg;
        void (*run)(store::TableSet&, archive::Register);
    };
    static const GridCommand kCommands[] = {
        {"N118", "Перенести из архива?", archive::Register::Minors, archive::restoreFromArchive},
        {"N121", "Перенести из архива?", archive::Register::Parents, archive::restoreFromArchive},
        {"N43", "Удалить?", archive::Register::Minors, archive::deleteFromArchive},
        {"N111", "Удалить?", archive::Register::Parents, archive::deleteFromArchive},
    };
    for (const GridCommand& c : kCommands) {
        const GridCommand* cmd = &c;
        m.on(c.item, "Click", [&w, cmd](const EventArgs&) {
            const bool yes = w.ui().confirm(kConfirmCaption, cmd->question);
            w.formActivate();
            if (yes) cmd->run(w.tables(), cmd->reg);
        });
    }
}

}  // namespace zelt::app
