// The `--version` option every command-line tool of the registry answers the same way.
#pragma once

#include "zelt_version.h"

#include <cstring>
#include <iostream>

namespace zelt {

// True when the only argument is --version; then the tool's name and the version are printed and
// the tool should end with success.
inline bool printedVersion(int argc, char** argv, const char* tool) {
    if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return false;
    std::cout << tool << " " << kVersion << "\n";
    return true;
}

}  // namespace zelt
