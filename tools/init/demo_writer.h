// Writes generated demo registers into a fresh table tree through the table engine, as the program
// would have stored them: live masters get Sv = N, archived ones move to the archive keeping it.
#pragma once

#include "demo/demo_data.h"

#include <filesystem>
#include <string>

namespace zelt::init {

struct WriteCounts {
    int live = 0;
    int archived = 0;
    int details = 0;
    int notes = 0;
    int listFiles = 0;
};

WriteCounts writeDemo(const std::filesystem::path& dataDir, const std::string& password, const demo::DemoData& data);

}  // namespace zelt::init
