#include "support/script_support.h"

#include "script/script_runner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelt::testing {

std::string runScript(const std::filesystem::path& dir, const std::string& script) {
    std::ostringstream out;
    script::ScriptRunner runner(dir, out);
    std::istringstream in("today 01.06.2006\nstart\n" + script);
    EXPECT_TRUE(runner.run(in)) << out.str();
    return out.str();
}

}  // namespace zelt::testing
