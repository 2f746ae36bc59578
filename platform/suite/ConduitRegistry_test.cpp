#include <gtest/gtest.h>

#include "platform/Error.h"
#include "platform/suite/CreatorId.h"
#include "platform/suite/PosixComServers.h"
#include "platform/suite/PosixConduitManager.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform {
namespace {

ConduitInfo Sample(const std::string& creatorId, std::int32_t priority = 2) {
    ConduitInfo info;
    info.comClass = "TarnConduit2.cTarnConduit";
    info.creatorId = CreatorIdToNumber(creatorId);
    info.directory = "C:\\Program Files\\Tarn \"Conduits\"\\";
    info.file = creatorId + ".cfg";
    info.title = "Orders \xC3\xBC\nsecond line";
    info.priority = priority;
    return info;
}

TEST(ConduitManager, RegisterLookupUnregister) {
    test::TestEnvironment env;
    PosixConduitManager manager;
    manager.Probe();
    EXPECT_THROW(manager.Lookup(0x41424344u), PlatformError);

    ConduitInfo info = Sample("ABCD");
    manager.Register(info);
    EXPECT_EQ(PosixConduitManager().Lookup(0x41424344u), info);

    // A second registration of the Creator ID replaces the first.
    ConduitInfo second = Sample("ABCD");
    second.directory = "";
    second.file = "elsewhere.cfg";
    manager.Register(second);
    ASSERT_EQ(manager.List().size(), 1u);
    EXPECT_EQ(manager.Lookup(second.creatorId), second);

    manager.Unregister(0x41424344u);
    EXPECT_THROW(manager.Lookup(0x41424344u), PlatformError);
    EXPECT_THROW(manager.Unregister(0x41424344u), PlatformError);
    EXPECT_TRUE(manager.List().empty());
}

TEST(ConduitManager, ListIsByPriorityThenCreatorId) {
    test::TestEnvironment env;
    PosixConduitManager manager;
    manager.Register(Sample("Zulu", 1));
    manager.Register(Sample("Beta", 2));
    manager.Register(Sample("Alfa", 2));
    manager.Register(Sample("Cafe", 0));
    std::vector<std::string> order;
    for (const auto& info : manager.List()) order.push_back(CreatorIdToText(info.creatorId));
    EXPECT_EQ(order, (std::vector<std::string>{"Cafe", "Zulu", "Alfa", "Beta"}));
}

TEST(ConduitManager, ConcurrentWritersAllSurvive) {
    test::TestEnvironment env;
    constexpr int kProcesses = 4, kEach = 8;
    EXPECT_TRUE(test::RunInChildrenAtOnce(kProcesses, [](int p) {
        PosixConduitManager manager;
        for (int i = 0; i < kEach; ++i) {
            ConduitInfo info = Sample("AAAA");
            info.creatorId = 0x50000000u + p * 0x100 + i;
            manager.Register(info);
            manager.List();  // readers alongside writers must never see a torn file
        }
        return 0;
    }));
    EXPECT_EQ(PosixConduitManager().List().size(), static_cast<size_t>(kProcesses * kEach));
}

TEST(ConduitManager, DamagedFileIsReportedAndKept) {
    test::TestEnvironment env;
    std::string damaged = "[41424344]\nComClass=unquoted\n";
    test::WriteFileBytes(env.tarnHome() / "conduits.ini", damaged);
    PosixConduitManager manager;
    EXPECT_THROW(manager.Lookup(0x41424344u), PlatformError);
    EXPECT_THROW(manager.Register(Sample("WXYZ")), PlatformError);
    EXPECT_THROW(manager.Unregister(0x41424344u), PlatformError);
    EXPECT_EQ(test::ReadFileBytes(env.tarnHome() / "conduits.ini"), damaged);

    for (const char* section : {"[41424344]\n\"Title\"=\"unterminated\n",
                                "[41424344]\n\"Priority\"=high\n", "[not-a-number]\n"}) {
        test::WriteFileBytes(env.tarnHome() / "conduits.ini", section);
        EXPECT_THROW(manager.List(), PlatformError) << section;
    }
}

TEST(ComServers, RegisterResolveUnregister) {
    test::TestEnvironment env;
    PosixComServers servers;
    EXPECT_FALSE(servers.Resolve("TarnConduit2.cTarnConduit"));
    servers.RegisterServer("TarnConduit2.cTarnConduit", "/opt/tarn/lib TarnConduit2.so");
    EXPECT_EQ(PosixComServers().Resolve("tarnconduit2.ctarnconduit"),
              std::filesystem::path("/opt/tarn/lib TarnConduit2.so"));
    EXPECT_TRUE(servers.UnregisterServer("TarnConduit2.cTarnConduit"));
    EXPECT_FALSE(servers.UnregisterServer("TarnConduit2.cTarnConduit"));
    EXPECT_FALSE(servers.Resolve("TarnConduit2.cTarnConduit"));
}

}  // namespace
}  // namespace tarn::platform
