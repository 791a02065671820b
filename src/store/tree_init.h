// Creating a complete empty table tree in a data directory: every table file of the four copies.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zelt::store {

// The stored names of every table file of the tree, each once, in table-object order.
std::vector<std::string> treeFileNames();

// Creates every table file of the tree under `dataDir` with its layout, indexes and `password`.
// Refuses (EngineError naming the file) when any of them exists already, before creating any.
void createTableTree(const std::filesystem::path& dataDir, const std::string& password);

}  // namespace zelt::store
