// The list files of a new data directory: every pick list, phrase list, settings and region file,
// created empty so that an administrator finds each in place before the first start.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::init {

// The names of every list file the program reads, each once, relative to the data directory.
std::vector<std::string> listFileNames();

// Creates each list file missing from `dataDir` empty; a file already there keeps its content.
// Returns how many were created. EngineError naming the file when one cannot be created.
int createEmptyListFiles(const std::filesystem::path& dataDir);

}  // namespace zelt::init
