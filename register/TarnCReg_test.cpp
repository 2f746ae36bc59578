// Runs the real TarnCReg program as an installer would, without a display.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/suite/PosixConduitManager.h"
#include "tarn/Version.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn {
namespace {

test::ProcessResult RunTarnCReg(const std::vector<std::string>& args) {
    return test::RunProcess((test::BinDir() / "TarnCReg").string(), args);
}

const std::string kVersionLine = std::string("Version: ") + kVersionText;

TEST(TarnCReg, RegistersFromAnUnquotedPathWithSpacesAndUnregistersAgain) {
    test::TestEnvironment env;
    std::filesystem::path folder = env.root() / "Program Files" / "Sales Conduit";
    std::filesystem::create_directories(folder);
    ConduitSettings settings;
    settings.CreatorID = ScrambleString("SALE");
    settings.ConduitTitle = ScrambleString("Sales");
    ASSERT_TRUE(WriteConfigFile((folder / "Sales.cfg").string(), settings, colTables{}));
    // An installer's unquoted path arrives split at its blanks.
    std::vector<std::string> args{"-R"};
    for (std::string part : std::vector<std::string>{env.root().string() + "/Program",
                                                     "Files/Sales", "Conduit/Sales.cfg"})
        args.push_back(part);

    test::ProcessResult registered = RunTarnCReg(args);
    EXPECT_EQ(registered.exitCode, 0) << registered.err;
    EXPECT_EQ(registered.err, "");
    platform::ConduitInfo info = platform::PosixConduitManager().Lookup(0x53414C45);
    EXPECT_EQ(info.directory, folder.string() + "/");
    EXPECT_EQ(info.file, "Sales.cfg");
    EXPECT_EQ(info.title, "Sales");

    test::ProcessResult removed = RunTarnCReg({"-u", "SALE"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_TRUE(platform::PosixConduitManager().List().empty());
}

TEST(TarnCReg, FailuresPrintCaptionAndTextOnStderrAndExitWithOne) {
    test::TestEnvironment env;
    test::ProcessResult unknown = RunTarnCReg({"-U", "ZZZZ"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err,
              "Tarn Conduit Register Tool: Error unregistering conduit with Creator ID ZZZZ\n");

    test::ProcessResult missing = RunTarnCReg({"-R", (env.root() / "none.cfg").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "Tarn Conduit Register Tool: Conduit config file not found\n");

    test::ProcessResult neither = RunTarnCReg({"register", "me"});
    EXPECT_EQ(neither.exitCode, 1);
    EXPECT_EQ(neither.err, "Error: Error registering Conduit\n");
}

TEST(TarnCReg, AboutExitsWithZeroAndUsageWithTwo) {
    test::TestEnvironment env;
    test::ProcessResult about = RunTarnCReg({"?"});
    EXPECT_EQ(about.exitCode, 0);
    EXPECT_EQ(about.err, "Tarn Conduit Register Tool: Tarn Conduit Builder Register Tool\r\n" +
                             kVersionLine + "\n");

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"-R"}, {"-U"}, {"-U", "ABC"}}) {
        test::ProcessResult usage = RunTarnCReg(arguments);
        EXPECT_EQ(usage.exitCode, 2) << arguments.size();
        EXPECT_EQ(usage.err,
                  "Tarn Conduit Register Tool: This program is used to un/register "
                  "conduits.\r\n" +
                      kVersionLine + "\n");
        EXPECT_EQ(usage.out, "");
    }
}

}  // namespace
}  // namespace tarn
