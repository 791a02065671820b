// zelt-script: runs a script from standard input against the program in the current directory
// (the data directory) and prints what the user would see; `zelt-script --version` prints its version.
#include "script/script_runner.h"
#include "version_option.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (zelt::printedVersion(argc, argv, "zelt-script")) return 0;
    std::ios::sync_with_stdio(false);
    zelt::script::ScriptRunner runner(std::filesystem::current_path(), std::cout);
    const bool ok = runner.run(std::cin);
    std::cout.flush();
    return ok ? 0 : 1;
}
