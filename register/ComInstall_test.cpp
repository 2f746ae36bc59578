#include "register/ComInstall.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Error.h"
#include "platform/suite/PosixConduitManager.h"
#include "platform/ui/MessageBoxCapture.h"
#include "platform/ui/MouseIcon.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::MComInstall {
namespace {

using platform::ConduitInfo;
using platform::PosixConduitManager;
namespace ui = platform::ui;

constexpr std::uint32_t kABCD = 0x41424344;

// Records the order of the calls made on the HotSync manager's objects. The call named in
// failAt throws once recorded, as a full disk would.
struct CallLog {
    std::vector<std::string> calls;
    std::string failAt;
    void Add(const std::string& call) {
        calls.push_back(call);
        if (call == failAt) throw platform::PlatformError(-1, "disk full");
    }
    void Add(const char* which, std::uint32_t user, std::uint32_t creator, std::int32_t action) {
        Add(std::string(which) + " " + std::to_string(user) + " " + std::to_string(creator) + " " +
            std::to_string(action));
    }
};

class LoggingManager : public PosixConduitManager {
  public:
    explicit LoggingManager(CallLog& log) : log_(log) {}
    void Register(const ConduitInfo& info) override {
        log_.Add("register pointer=" + std::to_string(ui::CurrentMouseIcon()));
        PosixConduitManager::Register(info);
    }

  private:
    CallLog& log_;
};

class LoggingUsers : public platform::HotSyncUsers {
  public:
    explicit LoggingUsers(CallLog& log) : log_(log) {}
    std::vector<std::uint32_t> UserIds() override { return {7, 3}; }
    void SetPermanentSyncAction(std::uint32_t user, std::uint32_t creator,
                                std::int32_t action) override {
        log_.Add("permanent", user, creator, action);
    }
    void SetTemporarySyncAction(std::uint32_t user, std::uint32_t creator,
                                std::int32_t action) override {
        log_.Add("temporary", user, creator, action);
    }
    platform::HotSyncUser FindOrCreateUser(const std::string& name) override { return {7, name}; }

  private:
    CallLog& log_;
};

class LoggingNotifier : public platform::HotSyncNotifier {
  public:
    explicit LoggingNotifier(CallLog& log) : log_(log) {}
    bool IsHotSyncRunning() override { return false; }
    void ConduitListChanged() override { log_.Add("notify"); }

  private:
    CallLog& log_;
};

PalmComObjects LoggingPalm(CallLog& log) {
    return {[&] { return std::make_shared<LoggingManager>(log); },
            [&] { return std::make_shared<LoggingUsers>(log); },
            [&] { return std::make_shared<LoggingNotifier>(log); }};
}

const std::string kId = std::to_string(kABCD);
const std::vector<std::string> kRegistrationCalls = {
    "register pointer=11",       "permanent 7 " + kId + " 0", "temporary 7 " + kId + " 0",
    "permanent 3 " + kId + " 0", "temporary 3 " + kId + " 0", "notify"};

TEST(RegisterConduit, CallsInOrderUnderTheHourglass) {
    test::TestEnvironment env;
    CallLog log;
    ASSERT_TRUE(RegisterConduit("ABCD", "t", "f", "d/", LoggingPalm(log)));
    EXPECT_EQ(log.calls, kRegistrationCalls);
    EXPECT_EQ(ui::CurrentMouseIcon(), ui::kDefaultPointer);
}

TEST(RegisterConduit, AFailedUserStepFailsButLeavesTheRegistrationAndSkipsTheNotifier) {
    test::TestEnvironment env;
    CallLog log;
    log.failAt = kRegistrationCalls[3];  // the second user's first action
    ui::MessageBoxCapture boxes;

    EXPECT_FALSE(RegisterConduit("ABCD", "t", "f.cfg", "/d/", LoggingPalm(log)));

    EXPECT_TRUE(IsConduitRegistered("ABCD"));
    EXPECT_EQ(log.calls, std::vector(kRegistrationCalls.begin(), kRegistrationCalls.begin() + 4));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(ui::CurrentMouseIcon(), ui::kDefaultPointer);
}

TEST(RegisterConduit, AMalformedCreatorIdFailsSilentlyAndRegistersNothing) {
    test::TestEnvironment env;
    ui::MessageBoxCapture boxes;
    EXPECT_FALSE(RegisterConduit("ABC", "t", "f.cfg", "/d/"));
    EXPECT_FALSE(RegisterConduit("", "t", "", ""));
    EXPECT_TRUE(PosixConduitManager().List().empty());
    EXPECT_FALSE(IsConduitRegistered("ABC"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(IsPalmComInstalled, FalseWhenTheConduitListCannotBeReached) {
    test::TestEnvironment env;
    EXPECT_TRUE(IsPalmComInstalled());
    // TARN_HOME naming a file: no conduit manager can be created there.
    std::filesystem::path blocked = env.root() / "not-a-folder";
    std::ofstream(blocked) << "x";
    test::ScopedEnv home("TARN_HOME", blocked.string());
    EXPECT_FALSE(IsPalmComInstalled());
    EXPECT_FALSE(IsConduitRegistered("ABCD"));
    EXPECT_FALSE(RegisterConduit("ABCD", "t", "f", ""));
    EXPECT_EQ(GetSystemDir(), "");
}

TEST(GetSystemDir, IsTheSystemFolderUnderTarnHomeWithATrailingSlash) {
    test::TestEnvironment env;
    std::string dir = GetSystemDir();
    EXPECT_EQ(dir, (env.tarnHome() / "system").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

// A program still running when the wait ends has no exit code yet; nor has one ended by a signal.
// The program's output is discarded, and the wait lasts until it ends.
TEST(ShellAndWait, ReportsTheExitCodeOfAProgramThatEnded) {
    test::TempDir dir;
    const std::string marker = (dir / "made by child").string();
    const struct {
        std::string commandLine;
        int waitMs;
        int exitCode;
    } cases[] = {
        {"sh -c 'echo noise; echo noise >&2; sleep 0.2; touch \"$0\"' '" + marker + "'", 60000, 0},
        {"sh -c 'exit 3'", 60000, 3},
        {"sh -c 'kill -KILL $$'", 60000, -1},
        {"sleep 2", 20, -1},
    };
    for (const auto& c : cases) {
        int exitCode = 99;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool started = ShellAndWait(c.commandLine, c.waitMs, &exitCode);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(started) << c.commandLine;
        EXPECT_EQ(exitCode, c.exitCode) << c.commandLine;
        EXPECT_TRUE(std::filesystem::exists(marker));  // made by the first, waited for
    }
}

TEST(ShellAndWait, FalseWhenTheProgramCannotBeStarted) {
    test::TempDir dir;
    EXPECT_FALSE(ShellAndWait("tarn-no-such-program --help", 1000));
    EXPECT_FALSE(ShellAndWait(dir.path().string(), 1000));  // a folder is no program
    EXPECT_FALSE(ShellAndWait("   ", 1000));                // no words
    EXPECT_FALSE(ShellAndWait("sh -c 'unclosed", 1000));
}

TEST(DeleteFileIfExists, DeletesFilesOnlyAndNeverFails) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "_temp.nsi", "x");
    std::filesystem::create_directory(dir / "folder");
    DeleteFileIfExists((dir / "_temp.nsi").string());
    DeleteFileIfExists((dir / "_temp.nsi").string());
    DeleteFileIfExists((dir / "folder").string());
    DeleteFileIfExists("");
    EXPECT_FALSE(std::filesystem::exists(dir / "_temp.nsi"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
}

}  // namespace
}  // namespace tarn::MComInstall
