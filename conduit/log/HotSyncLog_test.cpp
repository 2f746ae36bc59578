#include "conduit/log/HotSyncLog.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/suite/HotSyncSession.h"
#include "platform/suite/PosixSyncUtility.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit {
namespace {

TEST(WriteLog, IndentsByLevelAndFiltersByDebugLevel) {
    test::TestEnvironment env;
    platform::HotSyncSession session(1, "Ann", "/handheld");
    platform::PosixSyncUtility utility;
    HotSyncLog log(utility);
    log.DebugLevel = 3;
    log.WriteLog("Starting Synchronization", 1);
    log.WriteLog("Getting Conduit Data", 2);
    log.WriteLog("Quote character: '", 3);
    log.WriteLog("SELECT * FROM T", 4);  // above the debug level
    log.DebugLevel = 4;
    log.WriteLog("Super User Mode", 4);
    log.DebugLevel = 0;
    log.WriteLog("!! Bailing out now...", 1);  // level 0 writes nothing, failures included
    EXPECT_EQ(test::ReadFileBytes(platform::UserLogFile("Ann")),
              "Starting Synchronization\n"
              " Getting Conduit Data\n"
              "  Quote character: '\n"
              "   Super User Mode\n");
}

TEST(WriteLog, PassesTheFixedLogArguments) {
    struct Recorder : platform::SyncUtility {
        void AddLogEntry(const std::string& text, std::int32_t a, std::int32_t b,
                         std::int32_t c) override {
            calls.push_back(text + "|" + std::to_string(a) + "," + std::to_string(b) + "," +
                            std::to_string(c));
        }
        std::unique_ptr<platform::SyncInformation> GetSyncInformation() override { return nullptr; }
        void ReportOutcome(const platform::ConduitOutcome&) override {}
        std::vector<std::string> calls;
    } recorder;
    HotSyncLog log(recorder);
    EXPECT_EQ(log.DebugLevel, 1);
    log.WriteLog("  already indented", 1);
    log.WriteLog("hidden", 2);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"  already indented|-1,0,0"}));
}

}  // namespace
}  // namespace tarn::conduit
