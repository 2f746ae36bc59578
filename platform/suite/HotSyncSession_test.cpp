#include "platform/suite/HotSyncSession.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Error.h"
#include "platform/suite/PosixHotSyncNotifier.h"
#include "platform/suite/PosixSyncUtility.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform {
namespace {

using test::RunInChild;

TEST(HotSyncSession, RunningOnlyInTheOwningProcessAndOnlyWhileItLasts) {
    test::TestEnvironment env;
    PosixHotSyncNotifier notifier;
    PosixSyncUtility utility;
    EXPECT_FALSE(notifier.IsHotSyncRunning());
    EXPECT_THROW(utility.GetSyncInformation()->RunningCreatorId(), PlatformError);
    {
        HotSyncSession session(3, "Ann", "/media/my \"handheld\"");
        EXPECT_TRUE(notifier.IsHotSyncRunning());
        EXPECT_EQ(CurrentProcessSession()->handheldFolder, "/media/my \"handheld\"");
        EXPECT_EQ(utility.GetSyncInformation()->RunningCreatorId(), 0u);
        EXPECT_FALSE(utility.GetSyncInformation()->DryRun());
        session.SetRunningCreatorId(0x41424344u);
        EXPECT_EQ(utility.GetSyncInformation()->RunningCreatorId(), 0x41424344u);

        // Another process (here a child) sees the same session file but does not own it.
        EXPECT_EQ(RunInChild([] { return PosixHotSyncNotifier().IsHotSyncRunning() ? 1 : 0; }), 0);
    }
    EXPECT_FALSE(notifier.IsHotSyncRunning());
    EXPECT_FALSE(RecordedSession());
}

TEST(HotSyncSession, SessionOfADeadHostIsStaleAndCanBeTakenOver) {
    test::TestEnvironment env;
    // The child begins a session and dies without ending it, as a crashed host would.
    ASSERT_EQ(RunInChild([] {
                  new HotSyncSession(1, "Crashed", "/handheld");
                  _exit(0);
                  return 0;
              }),
              0);
    ASSERT_TRUE(RecordedSession());
    EXPECT_NE(RecordedSession()->processId, getpid());
    EXPECT_FALSE(PosixHotSyncNotifier().IsHotSyncRunning());

    HotSyncSession session(2, "Bob", "/handheld");
    EXPECT_TRUE(PosixHotSyncNotifier().IsHotSyncRunning());
    EXPECT_EQ(CurrentProcessSession()->userName, "Bob");
}

TEST(HotSyncSession, LiveSessionOfAnotherProcessBlocksASecondOne) {
    test::TestEnvironment env;
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        close(release[1]);
        HotSyncSession session(1, "First", "/handheld");
        char byte = 1;
        if (write(ready[1], &byte, 1) != 1) _exit(1);
        if (read(release[0], &byte, 1) < 0) _exit(1);  // returns 0 when the parent closes it
        _exit(0);  // destructors are skipped; a stale session is what a crash leaves
    }
    close(ready[1]);
    close(release[0]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_THROW(HotSyncSession(2, "Second", "/handheld"), PlatformError);
    close(release[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    close(ready[0]);
    EXPECT_NO_THROW(HotSyncSession(2, "Second", "/handheld"));
}

TEST(HotSyncLog, LinesAreAppendedExactlyToTheRunningUsersLog) {
    test::TestEnvironment env;
    PosixSyncUtility utility;
    HotSyncSession session(1, "Ann M\xC3\xBCller", "/handheld");
    utility.AddLogEntry("Tarn Conduit 2.0.0", -1, 0, 0);
    utility.AddLogEntry("   SELECT * FROM \"T\"\t\xE2\x82\xAC  ", -1, 0, 0);
    std::filesystem::path log = env.tarnHome() / "users" / "Ann M\xC3\xBCller" / "HotSync.log";
    EXPECT_EQ(UserLogFile("Ann M\xC3\xBCller"), log);
    EXPECT_EQ(test::ReadFileBytes(log),
              "Tarn Conduit 2.0.0\n   SELECT * FROM \"T\"\t\xE2\x82\xAC  \n");
}

TEST(HotSyncLog, OutsideAHotSyncEntriesGoToTheMachineLog) {
    test::TestEnvironment env;
    PosixSyncUtility().AddLogEntry("configured", -1, 0, 0);
    EXPECT_EQ(test::ReadFileBytes(env.tarnHome() / "HotSync.log"), "configured\n");
}

TEST(HotSyncLog, UserNamesCannotLeaveTheUsersFolder) {
    test::TestEnvironment env;
    std::filesystem::path users = env.tarnHome() / "users";
    for (const char* name : {"..", ".", "../../etc", "a/b", "", "%2E"}) {
        std::filesystem::path file = UserLogFile(name);
        EXPECT_EQ(file.parent_path().parent_path(), users) << name;
        EXPECT_NE(file.parent_path().filename(), "..");
        EXPECT_NE(file.parent_path().filename(), ".");
    }
    EXPECT_NE(UserLogFile(".."), UserLogFile("%2E."));
}

// The conduit library reports through the sync utility; the host reads the session.
TEST(HotSyncSession, TheRunningConduitsOutcomeLastsUntilTheNextConduitStarts) {
    test::TestEnvironment env;
    PosixSyncUtility utility;
    utility.ReportOutcome({false, "outside a HotSync: nowhere to go"});
    HotSyncSession session(1, "Ann", "/handheld");
    session.SetRunningCreatorId(0x41424344u);
    EXPECT_EQ(session.RunningConduitOutcome(), std::nullopt);

    const ConduitOutcome failed{false, "table \"Items\" bailed out: a = b; c \\ \"d\""};
    utility.ReportOutcome(failed);
    EXPECT_EQ(session.RunningConduitOutcome(), failed);
    EXPECT_EQ(CurrentProcessSession()->creatorId, 0x41424344u);
    utility.ReportOutcome({true, ""});
    EXPECT_EQ(session.RunningConduitOutcome(), (ConduitOutcome{true, ""}));

    session.SetRunningCreatorId(0x45464748u);
    EXPECT_EQ(session.RunningConduitOutcome(), std::nullopt);
    // Another process cannot report for this one's conduit.
    EXPECT_EQ(RunInChild([] {
                  PosixSyncUtility().ReportOutcome({false, "not mine"});
                  return 0;
              }),
              0);
    EXPECT_EQ(session.RunningConduitOutcome(), std::nullopt);
}

// The dry-run flag and the figures of every table travel through the session file whole; a
// figure damaged there makes the outcome a failure, never a completed sync with wrong figures.
TEST(HotSyncSession, TheDryRunFlagAndTheTableFiguresTravelWhole) {
    test::TestEnvironment env;
    PosixSyncUtility utility;
    HotSyncSession session(1, "Ann", "/handheld", true);
    session.SetRunningCreatorId(0x41424344u);
    EXPECT_TRUE(utility.GetSyncInformation()->DryRun());
    const ConduitOutcome reported{
        true,
        "",
        {{"Items", 1, 2, 3, 4, 5, 6, 7}, {"Odd \"name\" = x; y", 0, 0, 0, 0, 0, 0, 65535}}};
    utility.ReportOutcome(reported);
    EXPECT_EQ(session.RunningConduitOutcome(), reported);

    const std::filesystem::path file = env.tarnHome() / "session.ini";
    std::string text = test::ReadFileBytes(file);
    const std::string counts = "1 2 3 4 5 6 7";
    for (const std::string& damaged :
         {"1 2 3 4 5 6", "1 2 3 4 5 6 7 8", "1 2 x 4 5 6 7", "1  2 3 4 5 6 7"}) {
        SCOPED_TRACE(damaged);
        std::string changed = text;
        changed.replace(changed.find(counts), counts.size(), damaged);
        test::WriteFileBytes(file, changed);
        std::optional<ConduitOutcome> outcome = session.RunningConduitOutcome();
        ASSERT_TRUE(outcome);
        EXPECT_FALSE(outcome->completed);
        EXPECT_TRUE(outcome->tables.empty());
    }
}

}  // namespace
}  // namespace tarn::platform
