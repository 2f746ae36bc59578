#include <gtest/gtest.h>

#include "conduit/log/DebugLevel.h"
#include "platform/suite/PosixRegistry.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync {
namespace {

test::ProcessResult Reg(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"reg"};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunProcess((test::BinDir() / "hotsync").string(), all);
}

const std::string kKey = "HKEY_LOCAL_MACHINE\\Software\\TarnConduit2";

TEST(HotSyncReg, SetGetDeleteText) {
    test::TestEnvironment env;
    const std::string odd = "line one\nline \"two\" \\ = [x] \xC3\xBC";
    ASSERT_EQ(Reg({"set", kKey, "Note", odd}).exitCode, 0);
    test::ProcessResult got = Reg({"get", "hklm\\software\\tarnconduit2", "note"});
    EXPECT_EQ(got.exitCode, 0) << got.err;
    EXPECT_EQ(got.out, odd + "\n");

    EXPECT_EQ(Reg({"delete", kKey, "Note"}).exitCode, 0);
    got = Reg({"get", kKey, "Note"});
    EXPECT_EQ(got.exitCode, 1);
    EXPECT_EQ(got.out, "");
    EXPECT_NE(got.err.find("not found"), std::string::npos) << got.err;
    EXPECT_EQ(Reg({"delete", kKey, "Note"}).exitCode, 1);
}

TEST(HotSyncReg, DebugLevelWrittenByTheCommandIsTheEnginesLevel) {
    test::TestEnvironment env;
    ASSERT_EQ(Reg({"set", kKey, "DebugLevel", "4"}).exitCode, 0);
    platform::PosixRegistry registry;
    EXPECT_EQ(conduit::GetDebugLevel(registry), 4);

    ASSERT_EQ(Reg({"set", kKey, "DebugLevel", "3", "--dword"}).exitCode, 0);
    EXPECT_EQ(conduit::GetDebugLevel(registry), 3);
    EXPECT_EQ(Reg({"get", kKey, "DebugLevel"}).out, "3\n");

    // The dialog button stores text; the command shows it without its terminator.
    conduit::CycleDebugLevel(registry);
    EXPECT_EQ(Reg({"get", kKey, "DebugLevel"}).out, "0\n");
}

TEST(HotSyncReg, CurrentUserIsAnotherTree) {
    test::TestEnvironment env;
    ASSERT_EQ(Reg({"set", "HKCU\\Software\\Tarn", "X", "0xFFFFFFFF", "--dword"}).exitCode, 0);
    EXPECT_EQ(Reg({"get", "HKEY_CURRENT_USER\\Software\\Tarn", "X"}).out, "4294967295\n");
    EXPECT_EQ(Reg({"get", "HKLM\\Software\\Tarn", "X"}).exitCode, 1);
}

TEST(HotSyncReg, BadUseIsRefusedWithAMessage) {
    test::TestEnvironment env;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frob", kKey, "X"},
                                               {"get", kKey},
                                               {"set", kKey, "X"},
                                               {"get", "HKEY_NOWHERE\\Software", "X"},
                                               {"set", kKey, "X", "ten", "--dword"},
                                               {"get", kKey, "X", "--dword"}}) {
        test::ProcessResult result = Reg(args);
        EXPECT_NE(result.exitCode, 0);
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(result.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(env.tarnHome() / "registry.ini"));
}

TEST(HotSyncReg, UnwritableRegistryFails) {
    test::TestEnvironment env;
    std::filesystem::create_directory(env.tarnHome() / "registry.ini.lock");
    test::ProcessResult result = Reg({"set", kKey, "DebugLevel", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("access denied"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tarn::hotsync
