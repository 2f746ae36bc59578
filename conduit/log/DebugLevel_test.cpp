#include "conduit/log/DebugLevel.h"

#include <gtest/gtest.h>

#include <functional>

#include "conduit/log/RegistryFunctions.h"
#include "platform/Error.h"
#include "platform/suite/PosixRegistry.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit {
namespace {

using platform::kHkeyLocalMachine;
using platform::RegistryHandle;
using platform::RegistryStatus;

// A registry whose store may be read but whose keys cannot be opened for writing, like
// HKEY_LOCAL_MACHINE for a user without administrator rights.
class ReadOnlyRegistry : public platform::PosixRegistry {
  public:
    RegistryStatus CreateKey(RegistryHandle parent, std::string_view subKey, std::uint32_t options,
                             std::uint32_t access, RegistryHandle& key) override {
        if (access & ~platform::kKeyRead) return platform::kRegAccessDenied;
        return PosixRegistry::CreateKey(parent, subKey, options, access, key);
    }
    RegistryStatus OpenKey(RegistryHandle parent, std::string_view subKey, std::uint32_t access,
                           RegistryHandle& key) override {
        if (access & ~platform::kKeyRead) return platform::kRegAccessDenied;
        return PosixRegistry::OpenKey(parent, subKey, access, key);
    }
};

class DebugLevelTest : public ::testing::Test {
  protected:
    void Store(std::uint32_t type, const RegistryValue& value) {
        SetRegistryValue(registry, kDebugLevelKey, kDebugLevelValue, value, kHkeyLocalMachine,
                         type);
    }

    RegistryValue Stored() {
        return GetRegistryValue(registry, kDebugLevelKey, kDebugLevelValue, kHkeyLocalMachine);
    }

    test::TestEnvironment env;
    platform::PosixRegistry registry;
};

TEST_F(DebugLevelTest, MissingOrUnreadableLevelIsLow) {
    EXPECT_EQ(GetDebugLevel(registry), 1);
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    EXPECT_EQ(GetDebugLevel(registry), 1);
    Store(platform::kRegSz, "lots");
    EXPECT_EQ(GetDebugLevel(registry), 1);
    // An eight-byte binary value does not fit the four bytes read for it.
    RegistryHandle key = 0;
    ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kDebugLevelKey, 63, key), 0);
    ASSERT_EQ(registry.SetValue(key, kDebugLevelValue, platform::kRegBinary, "12345678"), 0);
    EXPECT_EQ(GetDebugLevel(registry), 1);
    ASSERT_EQ(registry.SetValue(key, kDebugLevelValue, 11, "x"), 0);  // a type it cannot read
    EXPECT_EQ(GetDebugLevel(registry), 1);
}

TEST_F(DebugLevelTest, TextAndNumberLevelsAreRead) {
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    Store(platform::kRegSz, 3);
    EXPECT_EQ(GetDebugLevel(registry), 3);
    Store(platform::kRegDword, 4);
    EXPECT_EQ(GetDebugLevel(registry), 4);
    Store(platform::kRegBinary, "2");
    EXPECT_EQ(GetDebugLevel(registry), 2);
}

TEST_F(DebugLevelTest, LevelThatCannotBeOpenedForWritingIsLow) {
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    Store(platform::kRegSz, 3);
    ReadOnlyRegistry readOnly;
    EXPECT_EQ(GetDebugLevel(readOnly), 1);
    // The button still tells what it meant to set, though nothing could be stored.
    EXPECT_EQ(CycleDebugLevel(readOnly), "Debug level is set to medium");
    EXPECT_EQ(GetDebugLevel(registry), 3);
}

TEST_F(DebugLevelTest, ButtonCyclesThroughTheNamedLevels) {
    EXPECT_EQ(CycleDebugLevel(registry), "Debug level is set to medium");
    EXPECT_EQ(CycleDebugLevel(registry), "Debug level is set to high");
    EXPECT_EQ(CycleDebugLevel(registry), "Debug level is set to none");
    EXPECT_EQ(CycleDebugLevel(registry), "Debug level is set to low");
    EXPECT_EQ(Stored(), RegistryValue(std::string("1\0", 2)));
    std::uint32_t type = 0, size = 0;
    RegistryHandle key = 0;
    ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kDebugLevelKey, platform::kKeyRead, key), 0);
    ASSERT_EQ(registry.QueryValueInfo(key, kDebugLevelValue, type, size), 0);
    EXPECT_EQ(type, platform::kRegSz);
}

TEST_F(DebugLevelTest, LevelsAboveHighGrowSilently) {
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    Store(platform::kRegSz, "7");
    EXPECT_EQ(CycleDebugLevel(registry), std::nullopt);
    EXPECT_EQ(GetDebugLevel(registry), 8);
    Store(platform::kRegDword, 2147483647);
    EXPECT_EQ(CycleDebugLevel(registry), "Debug level is set to none");
}

TEST_F(DebugLevelTest, RegistryFunctionsRaiseError17) {
    auto errorNumber = [](const std::function<void()>& step) {
        try {
            step();
        } catch (const platform::PlatformError& e) {
            return e.number();
        }
        return 0;
    };
    auto read = [&] {
        GetRegistryValue(registry, kDebugLevelKey, kDebugLevelValue, kHkeyLocalMachine);
    };
    EXPECT_EQ(errorNumber(read), 17);  // the key does not exist yet
    EXPECT_EQ(errorNumber([&] { Store(platform::kRegSz, "1"); }), 17);
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    EXPECT_EQ(errorNumber([&] { Store(platform::kRegDword, "twelve"); }), 13);
}

TEST_F(DebugLevelTest, ReadAndWriteFollowTheValueType) {
    CreateRegistryKey(registry, kDebugLevelKey, kHkeyLocalMachine);
    RegistryHandle key = 0;
    ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, kDebugLevelKey, 63, key), 0);
    EXPECT_EQ(WriteRegistryValue(registry, key, "Text", platform::kRegSz, "a\xC3\xBC\nb"), 0);
    EXPECT_EQ(WriteRegistryValue(registry, key, "Number", platform::kRegDword, " 12 "), 0);
    EXPECT_EQ(WriteRegistryValue(registry, key, "Ignored", 7, "x"), 0);

    RegistryValue value;
    EXPECT_EQ(ReadRegistryValue(registry, key, "Text", value), 0);
    EXPECT_EQ(value, RegistryValue(std::string("a\xC3\xBC\nb\0", 6)));
    EXPECT_EQ(ReadRegistryValue(registry, key, "Number", value), 0);
    EXPECT_EQ(value, RegistryValue(12));
    value = RegistryValue();
    EXPECT_EQ(ReadRegistryValue(registry, key, "Ignored", value), platform::kRegNotFound);
    ASSERT_EQ(registry.SetValue(key, "Other", 7, "x"), 0);
    EXPECT_EQ(ReadRegistryValue(registry, key, "Other", value), -1);
    EXPECT_EQ(value, RegistryValue());
    registry.CloseKey(key);
}

}  // namespace
}  // namespace tarn::conduit
