// The program as a user starts it.
#include <gtest/gtest.h>

#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::builder {
namespace {

TEST(TarnCBuilder, RefusesToStartWithoutAUsableConduitRegistry) {
    test::TestEnvironment machine;
    // A TARN_HOME that is a file: the conduit registry cannot be opened.
    test::WriteFileBytes(machine.root() / "not-a-folder", "x");
    test::ScopedEnv home("TARN_HOME", (machine.root() / "not-a-folder").string());
    auto run = test::RunProcess((test::BinDir() / "TarnCBuilder").string(), {});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("TarnConduit: Palm COM Utilites need to be installed\n"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace tarn::builder
