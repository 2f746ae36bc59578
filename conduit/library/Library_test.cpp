// The conduit library as the sync host sees it: loaded with dlopen, entry points and objects.
#include <gtest/gtest.h>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/com/ClientNotify.h"
#include "platform/loading/SharedLibrary.h"
#include "platform/suite/HotSyncSession.h"
#include "platform/suite/PosixComServers.h"
#include "platform/suite/PosixConduitManager.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::conduit {
namespace {

namespace com = platform::com;

class LibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library_ = platform::SharedLibrary::Open(test::BinDir() / "libTarnConduit2.so", &error_);
        ASSERT_TRUE(library_) << error_;
    }

    com::IPDClientNotify* Create() {
        auto get = library_->Get<com::DllGetClassObjectFunction>("DllGetClassObject");
        void* factory = nullptr;
        EXPECT_EQ(get("TarnConduit2.cTarnConduit", "IClassFactory", &factory), com::kOk);
        void* object = nullptr;
        EXPECT_EQ(
            static_cast<com::IClassFactory*>(factory)->CreateInstance("IPDClientNotify", &object),
            com::kOk);
        return static_cast<com::IPDClientNotify*>(object);
    }

    // Runs `call` with standard error captured.
    template <typename Call>
    static std::string Stderr(Call call) {
        ::testing::internal::CaptureStderr();
        call();
        return ::testing::internal::GetCapturedStderr();
    }

    test::TestEnvironment machine_;
    std::unique_ptr<platform::SharedLibrary> library_;
    std::string error_;
};

TEST_F(LibraryTest, ExportsOnlyTheServerEntryPointsAndServesOneClass) {
    auto get = library_->Get<com::DllGetClassObjectFunction>("DllGetClassObject");
    ASSERT_TRUE(get);
    EXPECT_TRUE(library_->Symbol("DllRegisterServer"));
    EXPECT_TRUE(library_->Symbol("DllUnregisterServer"));
    EXPECT_FALSE(library_->Symbol("_ZN4tarn7conduit11SynchronizeERNS0_11ModuleStateE"));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(get("Other.Class", "IClassFactory", &object), com::kClassNotAvailable);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(get("TarnConduit2.cTarnConduit", "IUnknown", &object), com::kNoInterface);
}

TEST_F(LibraryTest, RegisteringRecordsTheLibrarysOwnPath) {
    auto registerServer = library_->Get<com::DllRegisterServerFunction>("DllRegisterServer");
    auto unregisterServer = library_->Get<com::DllUnregisterServerFunction>("DllUnregisterServer");
    ASSERT_EQ(registerServer(), com::kOk);
    auto path = platform::PosixComServers().Resolve("TarnConduit2.cTarnConduit");
    ASSERT_TRUE(path);
    EXPECT_EQ(std::filesystem::canonical(*path),
              std::filesystem::canonical(test::BinDir() / "libTarnConduit2.so"));
    ASSERT_EQ(unregisterServer(), com::kOk);
    EXPECT_FALSE(platform::PosixComServers().Resolve("TarnConduit2.cTarnConduit"));
}

TEST_F(LibraryTest, ConduitInfoAnswersByTypeAlone) {
    auto* conduit = Create();
    com::Variant value;
    ASSERT_EQ(conduit->GetConduitInfo(0, 0x41424344, 7, "Ann", &value), com::kOk);
    EXPECT_EQ(value.kind, com::Variant::Kind::Text);
    EXPECT_EQ(value.text, "TarnConduit2");
    conduit->GetConduitInfo(1, 0, 0, "", &value);
    EXPECT_EQ(value.int32, 0x10000000);
    conduit->GetConduitInfo(2, 0, 0, "", &value);
    EXPECT_EQ(value.kind, com::Variant::Kind::Int32);
    EXPECT_EQ(value.int32, 0);
    conduit->GetConduitInfo(3, 0, 0, "", &value);
    EXPECT_EQ(value.kind, com::Variant::Kind::Double);
    EXPECT_EQ(value.real, 1.0);
    conduit->GetConduitInfo(7, 0, 0, "", &value);
    EXPECT_EQ(value.kind, com::Variant::Kind::Empty);

    auto canUnload = library_->Get<com::DllCanUnloadNowFunction>("DllCanUnloadNow");
    EXPECT_EQ(canUnload(), com::kFalse);
    conduit->Release();
    EXPECT_EQ(canUnload(), com::kOk);
}

TEST_F(LibraryTest, OutsideAHotSyncBeginProcessOnlySaysSo) {
    auto* conduit = Create();
    bool result = true;
    com::HRESULT status = com::kFail;
    std::string shown = Stderr([&] { status = conduit->BeginProcess(&result); });
    EXPECT_EQ(status, com::kOk);
    EXPECT_FALSE(result);
    EXPECT_EQ(shown, "TarnConduit2: Sync not in progress\n");
    conduit->Release();
}

TEST_F(LibraryTest, BeginProcessAnswersFalseAlsoAfterACompleteSync) {
    ConduitSettings settings;
    settings.CreatorID = ScrambleString("ABCD");
    settings.DBDriver = ScrambleString("SQLite3");
    settings.DBDatabase = ScrambleString((machine_.root() / "d.db").string());
    ASSERT_TRUE(WriteConfigFile((machine_.root() / "c.cfg").string(), settings, colTables{}));
    platform::ConduitInfo info;
    info.comClass = "TarnConduit2.cTarnConduit";
    info.creatorId = 0x41424344;
    info.directory = machine_.root().string() + "/";
    info.file = "c.cfg";
    platform::PosixConduitManager().Register(info);

    platform::HotSyncSession session(1, "Ann", machine_.root().string());
    session.SetRunningCreatorId(0x41424344);
    auto* conduit = Create();
    bool result = true;
    EXPECT_EQ(conduit->BeginProcess(&result), com::kOk);
    EXPECT_FALSE(result);
    EXPECT_EQ(test::ReadFileBytes(machine_.tarnHome() / "users" / "Ann" / "HotSync.log"),
              "Tarn Conduit 2.0.0\nStarting Synchronization\nCompleted Synchronization\n");
    conduit->Release();
}

TEST_F(LibraryTest, ConfiguringAnUnregisteredConduitFailsAndShowsNothing) {
    auto* conduit = Create();
    std::int32_t a = 0, b = 0, c = 0, d = 0;
    std::string shown;
    com::HRESULT status = com::kOk;
    shown = Stderr([&] { status = conduit->CfgConduit(0x41424344, 1, "Ann", "", &a, &b, &c, &d); });
    EXPECT_EQ(status, com::kFail);
    EXPECT_FALSE(conduit->ErrorDescription().empty());
    EXPECT_TRUE(shown.empty()) << shown;
    conduit->Release();
}

}  // namespace
}  // namespace tarn::conduit
