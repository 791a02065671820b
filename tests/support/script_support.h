// Running a script of user actions against the program in a test's data directory.
#pragma once

#include <filesystem>
#include <string>

namespace zelt::testing {

// Starts the program in `dir` on 01.06.2006, runs the script lines after that and returns what the
// user would have seen. A line the driver does not understand fails the calling test.
std::string runScript(const std::filesystem::path& dir, const std::string& script);

// runScript, run by the driver program in a process of an unprivileged user, so that file
// permissions hold even when the tests run as root: as root the data directory is first given to
// user and group "nobody" (65534), and the driver drops to them. Fails the calling test when the
// driver cannot be run or does not end normally.
std::string runScriptUnprivileged(const std::filesystem::path& dir, const std::string& script);

// Every entry of the tree under `dir`, `dir` included, made writable by its owner again, so that
// a test can remove what it made read-only.
void makeWritable(const std::filesystem::path& dir);

// The output without the line naming a written report file, which differs from run to run; fails
// the calling test when there is no such line.
std::string withoutDocumentPath(const std::string& out);

}  // namespace zelt::testing
