// A package built by the builder, installed and removed under wine as a user's machine would.
// The Windows files are the stand-ins of the packaging tests: what is checked here is what the
// installer itself does (files, registry, the sync-suite check, the uninstaller).
#include <gtest/gtest.h>

#include "builder/testing/PackagingTestSupport.h"
#include "builder/testing/WinePrefix.h"

namespace tarn::builder {
namespace {

using namespace test;

const char kUninstallKey[] =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orders";
const char kRunOnceKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
const char kPalmCoreKey[] = "HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core";

std::string Bytes(const fs::path& path) {
    return tarn::test::ReadFileBytes(path);
}

TEST(PackageUnderWine, InstallsBothWaysAndUninstalls) {
    for (const std::string& missing : {WhyPackagesCannotBeBuilt(), WhyWineCannotRun()})
        if (!missing.empty()) GTEST_SKIP() << missing;
    tarn::test::TestEnvironment machine;
    const fs::path builder = MakeBuilderFolder(machine.root() / "builder");
    ConduitForm form = ValidConduitForm();
    form.InstallationPath = "C:\\Tarn Orders";
    const fs::path package = machine.root() / "Orders Setup.exe";
    auto built = BuildPackage(builder, WriteDocument(machine.root() / "orders.tcf", form), package);
    ASSERT_EQ(built.exitCode, 0) << built.err;

    WinePrefix wine(machine.root() / "wine");
    const fs::path installed = wine.DriveC() / "Tarn Orders";

    // Without the Palm COM components: they are installed, the conduit is registered at the
    // next logon.
    ASSERT_EQ(wine.Run(package.string(), {"/S"}).exitCode, 0);
    EXPECT_EQ(FilesIn(installed),
              (std::vector<std::string>{"TarnCReg.exe", "TarnOrders.cfg", "remove.exe"}));
    EXPECT_EQ(Bytes(installed / "TarnCReg.exe"), Bytes(builder / "TarnCReg.exe"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.dll"), Bytes(builder / "TarnConduit2.dll"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.tlb"), Bytes(builder / "TarnConduit2.tlb"));
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "DisplayName"), "Orders (Remove Only)");
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "UninstallString"), "C:\\Tarn Orders\\remove.exe");
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"),
              "C:\\Tarn Orders\\TarnCReg.exe -R C:\\Tarn Orders\\TarnOrders.cfg");

    // The uninstaller leaves the conduit library for other conduits.
    ASSERT_EQ(wine.RunUntilGone("C:\\Tarn Orders\\remove.exe", {"/S"}, installed).exitCode, 0);
    EXPECT_FALSE(fs::exists(installed));
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "DisplayName"), std::nullopt);
    EXPECT_TRUE(fs::exists(wine.System32() / "TarnConduit2.dll"));

    // With the Palm COM components: registered at once, the suite's installer stays unused.
    // A library of the same version stays as it is; one without a readable version is replaced.
    fs::create_directories(wine.DriveC() / "Palm");
    fs::copy_file(builder / "TarnConduit2.dll", wine.DriveC() / "Palm" / "ComDirect.dll");
    wine.SetRegistryValue(kPalmCoreKey, "Path", "C:\\Palm");
    wine.DeleteRegistryValue(kRunOnceKey, "RegisterConduit");
    fs::copy_file(builder / "TarnCReg.exe", wine.System32() / "TarnConduit2.dll",
                  fs::copy_options::overwrite_existing);
    tarn::test::WriteFileBytes(wine.System32() / "TarnConduit2.tlb", "no version here");

    ASSERT_EQ(wine.Run(package.string(), {"/S"}).exitCode, 0);
    EXPECT_EQ(FilesIn(installed), (std::vector<std::string>{"PalmCOMInstaller.exe", "TarnCReg.exe",
                                                            "TarnOrders.cfg", "remove.exe"}));
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"), std::nullopt);
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.dll"), Bytes(builder / "TarnCReg.exe"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.tlb"), Bytes(builder / "TarnConduit2.tlb"));
}

}  // namespace
}  // namespace tarn::builder
