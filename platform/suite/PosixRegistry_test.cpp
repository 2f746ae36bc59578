#include "platform/suite/PosixRegistry.h"

#include <gtest/gtest.h>

#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform {
namespace {

constexpr std::uint32_t kAllAccess = 0x3F;

class PosixRegistryTest : public ::testing::Test {
  protected:
    RegistryHandle Open(const std::string& path, std::uint32_t access = kAllAccess) {
        RegistryHandle key = 0;
        EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, path, 0, access, key), kRegSuccess);
        return key;
    }

    std::string Read(RegistryHandle key, const std::string& name, std::uint32_t& type) {
        std::string data;
        EXPECT_EQ(registry.QueryValue(key, name, 1 << 20, type, data), kRegSuccess) << name;
        return data;
    }

    test::TestEnvironment env;
    PosixRegistry registry;
};

TEST_F(PosixRegistryTest, ValuesRoundTripExactly) {
    const struct {
        std::string name;
        std::uint32_t type;
        std::string data;
    } values[] = {
        {"Name with = and \"quotes\" \\ ]", kRegSz,
         std::string("line 1\nline \"2\"\r\n\t\\x41 = [x] ; # \xC3\xBC\xE2\x82\xAC") + '\x01' +
             '\x7F' + '\0'},
        {"DebugLevel", kRegDword, DwordBytes(0xFFFFFFFE)},
        {"Blob", kRegBinary, std::string("\0\xFF\n\"\x80", 5)},
        {"NoTerminator", kRegSz, "abc"},
        {"Multi", 7, std::string("a\0b\0\0", 5)},
    };
    RegistryHandle key = Open("Software\\TarnConduit2");
    for (const auto& v : values)
        ASSERT_EQ(registry.SetValue(key, v.name, v.type, v.data), kRegSuccess) << v.name;
    ASSERT_EQ(registry.CloseKey(key), kRegSuccess);

    PosixRegistry other;  // a fresh reader, as another process would be
    RegistryHandle again = 0;
    ASSERT_EQ(other.OpenKey(kHkeyLocalMachine, "software\\TARNCONDUIT2", kKeyRead, again),
              kRegSuccess);
    std::uint32_t type = 0, size = 0;
    std::string data;
    for (const auto& v : values) {  // each read into a buffer of exactly its size
        ASSERT_EQ(other.QueryValue(again, v.name, v.data.size(), type, data), kRegSuccess)
            << v.name;
        EXPECT_EQ(type, v.type) << v.name;
        EXPECT_EQ(data, v.data) << v.name;
    }
    EXPECT_EQ(DwordFromBytes(DwordBytes(0xFFFFFFFE)), 0xFFFFFFFEu);
    ASSERT_EQ(other.QueryValueInfo(again, "debuglevel", type, size), kRegSuccess);
    EXPECT_EQ(type, kRegDword);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(other.QueryValue(again, "Blob", 4, type, data), kRegMoreData);
}

TEST_F(PosixRegistryTest, MissingKeysAndValuesAreNotFound) {
    RegistryHandle key = 0;
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\TarnConduit2", kKeyRead, key),
              kRegNotFound);
    key = Open("Software\\TarnConduit2\\Deeper");
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.QueryValueInfo(key, "DebugLevel", type, size), kRegNotFound);
    EXPECT_EQ(registry.DeleteValue(key, "DebugLevel"), kRegNotFound);
    // A key exists when a key below it does; another root is another tree.
    RegistryHandle parent = 0;
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software", kKeyRead, parent), kRegSuccess);
    EXPECT_EQ(registry.OpenKey(kHkeyCurrentUser, "Software", kKeyRead, parent), kRegNotFound);
}

TEST_F(PosixRegistryTest, DeleteRemovesOnlyThatValue) {
    RegistryHandle key = Open("Software\\TarnConduit2");
    ASSERT_EQ(registry.SetValue(key, "A", kRegSz, std::string("1", 2)), kRegSuccess);
    ASSERT_EQ(registry.SetValue(key, "B", kRegSz, std::string("2", 2)), kRegSuccess);
    EXPECT_EQ(registry.DeleteValue(key, "a"), kRegSuccess);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.QueryValueInfo(key, "A", type, size), kRegNotFound);
    EXPECT_EQ(Read(key, "B", type), std::string("2", 2));
}

TEST_F(PosixRegistryTest, AccessMaskAndHandlesAreChecked) {
    RegistryHandle readOnly = Open("Software\\TarnConduit2", kKeyRead);
    EXPECT_EQ(registry.SetValue(readOnly, "X", kRegSz, std::string("1", 2)), kRegAccessDenied);
    RegistryHandle writeOnly = Open("Software\\TarnConduit2", kKeySetValue);
    EXPECT_EQ(registry.SetValue(writeOnly, "X", kRegSz, std::string("1", 2)), kRegSuccess);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.QueryValueInfo(writeOnly, "X", type, size), kRegAccessDenied);
    EXPECT_EQ(registry.CloseKey(writeOnly), kRegSuccess);
    EXPECT_EQ(registry.CloseKey(writeOnly), kRegInvalidHandle);
    EXPECT_EQ(registry.QueryValueInfo(writeOnly, "X", type, size), kRegInvalidHandle);
    RegistryHandle bad = 0;
    EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, "Bad\nName", 0, kAllAccess, bad),
              kRegInvalidParameter);
}

TEST_F(PosixRegistryTest, UnwritableStoreIsAccessDenied) {
    RegistryHandle key = Open("Software\\TarnConduit2");
    // A folder where the lock file belongs makes every write fail, even for root.
    std::filesystem::remove(env.tarnHome() / "registry.ini.lock");
    std::filesystem::create_directory(env.tarnHome() / "registry.ini.lock");
    EXPECT_EQ(registry.SetValue(key, "DebugLevel", kRegSz, std::string("1", 2)), kRegAccessDenied);
    RegistryHandle other = 0;
    EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\New", 0, kAllAccess, other),
              kRegAccessDenied);
}

TEST_F(PosixRegistryTest, DamagedStoreIsReportedAndNeverOverwritten) {
    std::string damaged = "[HKEY_LOCAL_MACHINE\\Software\\TarnConduit2]\n\"DebugLevel\"=dword:12\n";
    test::WriteFileBytes(env.tarnHome() / "registry.ini", damaged);
    RegistryHandle key = Open("Software\\TarnConduit2");
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.QueryValueInfo(key, "DebugLevel", type, size), kRegCorrupt);

    damaged = "garbage line\n";
    test::WriteFileBytes(env.tarnHome() / "registry.ini", damaged);
    EXPECT_EQ(registry.SetValue(key, "DebugLevel", kRegSz, std::string("1", 2)), kRegCorrupt);
    EXPECT_EQ(test::ReadFileBytes(env.tarnHome() / "registry.ini"), damaged);
}

TEST_F(PosixRegistryTest, ConcurrentWritersLoseNoValue) {
    constexpr int kProcesses = 4, kEach = 10;
    EXPECT_TRUE(test::RunInChildrenAtOnce(kProcesses, [](int p) {
        PosixRegistry mine;
        RegistryHandle key = 0;
        int failures = mine.CreateKey(kHkeyLocalMachine, "Software\\Race", 0, kAllAccess, key);
        for (int i = 0; i < kEach; ++i)
            failures += mine.SetValue(key, "V" + std::to_string(p * 100 + i), kRegDword,
                                      DwordBytes(i)) != kRegSuccess;
        return failures ? 1 : 0;
    }));
    RegistryHandle key = Open("Software\\Race", kKeyRead);
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kEach; ++i) {
            std::uint32_t type = 0;
            EXPECT_EQ(DwordFromBytes(Read(key, "V" + std::to_string(p * 100 + i), type)),
                      static_cast<std::uint32_t>(i));
        }
    }
}

TEST(RegistryRootKeys, NamesAndShortNames) {
    EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE"), kHkeyLocalMachine);
    EXPECT_EQ(RootKeyFromName("hklm"), kHkeyLocalMachine);
    EXPECT_EQ(RootKeyFromName("HKCU"), kHkeyCurrentUser);
    EXPECT_EQ(RootKeyFromName("HKEY_NOWHERE"), 0u);
    EXPECT_EQ(RootKeyName(kHkeyCurrentUser), "HKEY_CURRENT_USER");
}

}  // namespace
}  // namespace tarn::platform
