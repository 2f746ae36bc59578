// The sync utility reads the session once for as long as its file stays the same; whatever the
// host changes in it (a new HotSync, the next conduit) must still be seen at once.
#include "platform/suite/PosixSyncUtility.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/Error.h"
#include "platform/suite/HotSyncSession.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform {
namespace {

std::string UserLog(const std::string& user) {
    std::error_code missing;
    return std::filesystem::exists(UserLogFile(user), missing)
               ? test::ReadFileBytes(UserLogFile(user))
               : "";
}

TEST(PosixSyncUtility, ASecondSyncInTheSameProcessLogsToTheNewSessionsUser) {
    test::TestEnvironment env;
    PosixSyncUtility utility;  // lives as long as the loaded conduit, across syncs
    // Names of one length: the two session files may even be alike in size and time.
    for (const char* user : {"Ann", "Bob", "Ann"}) {
        HotSyncSession session(1, user, "/handheld");
        session.SetRunningCreatorId(0x41424344u);
        EXPECT_EQ(utility.GetSyncInformation()->RunningCreatorId(), 0x41424344u);
        utility.AddLogEntry(std::string("sync of ") + user, -1, 0, 0);
        // The host runs the next conduit in the same session.
        session.SetRunningCreatorId(0x45464748u);
        EXPECT_EQ(utility.GetSyncInformation()->RunningCreatorId(), 0x45464748u);
        utility.AddLogEntry(std::string("next conduit of ") + user, -1, 0, 0);
    }
    EXPECT_EQ(UserLog("Ann"),
              "sync of Ann\nnext conduit of Ann\nsync of Ann\nnext conduit of Ann\n");
    EXPECT_EQ(UserLog("Bob"), "sync of Bob\nnext conduit of Bob\n");
    // Once the session has ended, lines go to the machine's log again.
    utility.AddLogEntry("configured", -1, 0, 0);
    EXPECT_EQ(test::ReadFileBytes(env.tarnHome() / "HotSync.log"), "configured\n");
    EXPECT_THROW(utility.GetSyncInformation()->DryRun(), PlatformError);
}

// Every change the host makes replaces the session file whole, so the file read last is read
// no more: bytes changed in place, which no writer does, go unnoticed.
TEST(PosixSyncUtility, TheSessionIsReadOnceWhileItsFileStaysTheSame) {
    test::TestEnvironment env;
    PosixSyncUtility utility;
    HotSyncSession session(1, "Ann", "/handheld");
    utility.AddLogEntry("first", -1, 0, 0);
    const std::filesystem::path file = env.tarnHome() / "session.ini";
    std::string text = test::ReadFileBytes(file);
    const std::size_t name = text.find("Ann");
    ASSERT_NE(name, std::string::npos) << text;
    text.replace(name, 3, "Bob");
    std::fstream(file, std::ios::in | std::ios::out | std::ios::binary) << text;
    utility.AddLogEntry("second", -1, 0, 0);
    EXPECT_EQ(UserLog("Ann"), "first\nsecond\n");
    EXPECT_EQ(UserLog("Bob"), "");
}

// A child process runs no HotSync of its parent's, even through the parent's utility.
TEST(PosixSyncUtility, AForkedChildDoesNotTakeItsParentsSession) {
    test::TestEnvironment env;
    PosixSyncUtility utility;
    HotSyncSession session(1, "Ann", "/handheld");
    utility.AddLogEntry("parent", -1, 0, 0);
    EXPECT_EQ(test::RunInChild([&] {
                  utility.AddLogEntry("child", -1, 0, 0);
                  return 0;
              }),
              0);
    EXPECT_EQ(UserLog("Ann"), "parent\n");
    EXPECT_EQ(test::ReadFileBytes(env.tarnHome() / "HotSync.log"), "child\n");
}

}  // namespace
}  // namespace tarn::platform
