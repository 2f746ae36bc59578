// `hotsync sync` through the real conduit library: its exit status and stderr say whether every
// conduit completed, whatever the way one of them did not.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/config/Scramble.h"
#include "hotsync/testing/NotesConduit.h"
#include "tests/support/TempDir.h"

namespace tarn::hotsync {
namespace {

using tarn::test::ProcessResult;
using tarn::test::RunProcess;
using test::NotesConduit;
using test::Program;

struct Failure {
    std::string name;
    std::function<void(NotesConduit&)> arrange;
    std::string stderrPart;  // besides the conduit's name
};

TEST(SyncExitStatus, EachFailureExitsOneWithOneStderrLineNamingTheConduitAndWhy) {
    auto changeSettings = [](std::function<void(ConduitSettings&)> change) {
        return [change](NotesConduit& c) {
            change(c.settings);
            c.WriteDescription();
        };
    };
    // One failure before the desktop is opened, one while, one after: the engine's own tests
    // (SyncOutcome) give every other way its reason; the host passes each on alike.
    const std::vector<Failure> failures{
        {"description deleted", [](NotesConduit& c) { std::filesystem::remove(c.description); },
         ": No such file or directory"},
        {"no driver", changeSettings([](ConduitSettings& s) { s.DBDriver = ScrambleString(""); }),
         "No ODBC driver selected"},
        {"bail-out", [](NotesConduit& c) { c.Desk("DROP TABLE Notes"); },
         "table Notes bailed out: "},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.name);
        NotesConduit conduit;
        failure.arrange(conduit);
        ProcessResult sync = conduit.Sync();
        EXPECT_EQ(sync.exitCode, 1) << sync.out;
        EXPECT_TRUE(sync.err.starts_with("hotsync: conduit NOTE (Notes) did not complete: "))
            << sync.err;
        EXPECT_NE(sync.err.find(failure.stderrPart), std::string::npos) << sync.err;
        EXPECT_EQ(std::count(sync.err.begin(), sync.err.end(), '\n'), 1) << sync.err;
        EXPECT_EQ(sync.out.find("Completed Synchronization"), std::string::npos) << sync.out;
    }
}

// A damaged handheld file is reported as damaged, as `hotsync databases` reports it, and kept.
TEST(SyncExitStatus, ADamagedHandheldFileFailsTheRunAndIsKeptByteForByte) {
    NotesConduit conduit;
    ASSERT_EQ(conduit.Sync().exitCode, 0);  // a valid NotesDB.pdb to damage
    const std::filesystem::path file = conduit.handheld / "NotesDB.pdb";
    // One way of damage will do here; the engine's tests try the others.
    const std::string damaged = tarn::test::ReadFileBytes(file).substr(0, 50);
    tarn::test::WriteFileBytes(file, damaged);
    ProcessResult sync = conduit.Sync();
    EXPECT_EQ(sync.exitCode, 1) << sync.out;
    EXPECT_NE(sync.err.find("NotesDB"), std::string::npos) << sync.err;
    EXPECT_NE(sync.err.find("is damaged: "), std::string::npos) << sync.err;
    EXPECT_NE(sync.out.find("!! Synchronization did not complete successfully"), std::string::npos)
        << sync.out;
    EXPECT_EQ(sync.out.find("Can not find palm database"), std::string::npos) << sync.out;
    EXPECT_EQ(tarn::test::ReadFileBytes(file), damaged);
    ProcessResult databases =
        RunProcess(Program("hotsync"), {"databases", "--handheld", conduit.handheld.string()});
    EXPECT_NE(databases.out.find("NotesDB.pdb"), std::string::npos) << databases.out;
}

}  // namespace
}  // namespace tarn::hotsync
