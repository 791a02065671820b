// Running a script of user actions against the program in a test's data directory.
#pragma once

#include <filesystem>
#include <string>

namespace zelt::testing {

// Starts the program in `dir` on 01.06.2006, runs the script lines after that and returns what the
// user would have seen. A line the driver does not understand fails the calling test.
std::string runScript(const std::filesystem::path& dir, const std::string& script);

// runScript in a child process that runs as the unprivileged user "nobody" when the tests run as
// root (the data directory is handed to that user first), so that file modes hold as they do for
// the program's users; as any other user it runs as that user.
std::string runScriptUnprivileged(const std::filesystem::path& dir, const std::string& script);

// The output without the line naming a written report file, which differs from run to run; fails
// the calling test when there is no such line.
std::string withoutDocumentPath(const std::string& out);

}  // namespace zelt::testing
