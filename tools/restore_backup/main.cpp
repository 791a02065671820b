// zelt-restore-backup: puts a safety copy of the Backup folder back into a data directory, with the
// program closed, to undo a mistaken transfer, check or clear.
#include "app/store_messages.h"
#include "base/error.h"
#include "store/safety_copy.h"
#include "version_option.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "Использование: zelt-restore-backup ПАПКА_ДАННЫХ [КОПИЯ]\n"
    "  без КОПИИ: перечисляет страховые копии папки Backup, от новых к старым;\n"
    "  КОПИЯ: имя папки в Backup (\"2026-12-10 14-03-22 Очистить всё\") или путь к ней;\n"
    "  программа при этом должна быть закрыта.\n";

fs::path copyPath(const fs::path& dataDir, const std::string& copy) {
    const fs::path inBackup = dataDir / zelt::store::kSafetyCopyFolder / copy;
    std::error_code ec;
    return fs::is_directory(inBackup, ec) ? inBackup : fs::path(copy);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (zelt::printedVersion(argc, argv, "zelt-restore-backup")) return 0;
    if (argc < 2 || argc > 3) {
        std::cerr << kUsage;
        return 2;
    }
    const fs::path dataDir = argv[1];
    try {
        if (argc == 2) {
            const auto copies = zelt::store::safetyCopies(dataDir);
            for (auto it = copies.rbegin(); it != copies.rend(); ++it) std::cout << it->dir.filename().string() << "\n";
            if (copies.empty()) std::cout << "Страховых копий нет\n";
            return 0;
        }
        const fs::path copy = copyPath(dataDir, argv[2]);
        zelt::store::restoreSafetyCopy(dataDir, copy);
        const zelt::store::SafetyCopy restored = zelt::store::readSafetyCopy(copy);
        std::cout << "Восстановлено из копии \"" << copy.filename().string() << "\":\n";
        for (const std::string& f : restored.tableFiles) std::cout << "  " << f << "\n";
        for (const std::string& f : restored.noteFolders) std::cout << "  " << f << "*.vrk\n";
        return 0;
    } catch (const zelt::EngineError& e) {
        std::cerr << zelt::app::clerkMessage(e) << "\n";
        return 1;
    }
}
