// A conduit's package built by the builder from the real Windows edition (build/bin), installed
// in a fresh 64-bit wine prefix as a user's machine would install it, used for a real HotSync
// with the sync suite it brought along, and removed again. One prefix serves every way the
// installer finds the sync suite: missing (installed, the conduit registered at the next
// logon), missing and impossible to install, and present (registered at once).
#include <gtest/gtest.h>

#include "builder/testing/PackagingTestSupport.h"
#include "builder/testing/WinePrefix.h"

namespace tarn::builder {
namespace {

using namespace test;
using tarn::test::Explain;
using tarn::test::ProcessResult;

// Names that NSIS would read as its own syntax unless the packager escapes them.
const char kTitle[] = "Items \"Pro\" $5";
const char kShortName[] = "Bob's Items";
const char kInstalled[] = "C:\\Tarn $HOME Items";
const char kUninstallKey[] =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Items \"Pro\" $5";
const char kRunOnceKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
const char kPalmCoreKey[] = "HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char kClassServerKey[] =
    "HKLM\\Software\\Classes\\CLSID\\{6F1C2A40-7B3E-4D8A-9C51-2E7D4B9A0C12}\\InprocServer32";
const char kSuiteHotSync[] = "C:\\Program Files\\Palm\\hotsync.exe";

// A handheld database of Items records (Integer Id, String Name, Double Price), written and
// read by an independent implementation of the file format.
const char kWriteItems[] = R"perl(
use strict; use Palm::PDB; use Palm::Raw;
my $p = Palm::Raw->new;
$p->{name} = "ItemsDB"; $p->{type} = "DATA"; $p->{creator} = "ITEM";
my $r = $p->append_Record; $r->{id} = 0x1001; $r->{attributes} = { dirty => 1 };
$r->{data} = pack("l> Z* d>", 3, "three", 3.75);
$p->Write($ARGV[0]);
)perl";
const char kReadItems[] = R"perl(
use strict; use Palm::PDB; use Palm::Raw;
my $p = Palm::PDB->new; $p->Load($ARGV[0]);
print "$p->{name} $p->{type} $p->{creator}\n";
printf "%d %s %s\n", unpack("l> Z* d>", $_->{data}) for @{$p->{records}};
)perl";

std::string Bytes(const fs::path& path) {
    return tarn::test::ReadFileBytes(path);
}

// What the test needs that only the test command provides; empty when all is there.
std::string WhatIsMissing() {
    std::vector<fs::path> files{tarn::test::BinDir() / ".." / "tests" / "tarn-run-once.exe"};
    for (const std::string& name : PackedWindowsFiles())
        files.push_back(tarn::test::BinDir() / name);
    for (const fs::path& file : files)
        if (!fs::exists(file))
            return file.string() +
                   " is missing: build the Windows edition with scripts/build-windows.sh (the "
                   "test command scripts/test.sh does)";
    if (!OnSearchPath("makensis")) return "makensis is not installed (Debian package nsis)";
    return WhyWineCannotRun();
}

class PackageUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string missing = WhatIsMissing();
        ASSERT_TRUE(missing.empty()) << missing;
        database_ = machine_.root() / "desk.db";
        Sql("CREATE TABLE Items (Id INTEGER, Name TEXT, Price REAL);"
            "INSERT INTO Items VALUES (1, 'one', 1.5), (2, 'two', 2.25);");
        handheld_ = machine_.root() / "handheld";
        fs::create_directories(handheld_);
    }

    std::string Sql(const std::string& statements) {
        ProcessResult result =
            tarn::test::RunProcess("/usr/bin/sqlite3", {database_.string(), statements});
        EXPECT_EQ(result.exitCode, 0) << Explain(result);
        return result.out;
    }

    // The builder document of the Items conduit. Under wine the SQLite3 driver is this
    // machine's own, so the database is named by its path here.
    fs::path ItemsDocument() {
        ConduitForm form = ValidConduitForm();
        form.ConduitTitle = kTitle;
        form.CreatorID = "ITEM";
        form.ConduitShortName = kShortName;
        form.InstallationPath = kInstalled;
        form.Connection.Driver = "SQLite3";
        form.Connection.Database = database_.string();
        colTables tables;
        auto table = tables.Add("Items", "ItemsDB");
        table->Fields().Add("Id", 3);
        table->Fields().Add("Name", 6);
        table->Fields().Add("Price", 2);
        const fs::path path = machine_.root() / "items.tcf";
        EXPECT_TRUE(
            WriteConfigFile(path.string(), SettingsFromForm(form, true, tables.Count()), tables));
        return path;
    }

    std::string Perl(const char* script, const fs::path& file) {
        ProcessResult result =
            tarn::test::RunProcess("/usr/bin/perl", {"-e", script, file.string()});
        EXPECT_EQ(result.exitCode, 0) << Explain(result);
        return result.out;
    }

    // The conduits the sync suite knows, as its host lists them.
    std::string RegisteredConduits(WinePrefix& wine) {
        ProcessResult result = wine.Run(kSuiteHotSync, {"list"});
        EXPECT_EQ(result.exitCode, 0) << Explain(result);
        std::erase(result.out, '\r');
        return result.out;
    }

    ProcessResult HotSync(WinePrefix& wine) {
        ProcessResult result =
            wine.Run(kSuiteHotSync,
                     {"sync", "--handheld", tarn::test::WindowsPath(handheld_), "--user", "Ann"});
        std::erase(result.out, '\r');
        return result;
    }

    tarn::test::TestEnvironment machine_;
    fs::path database_, handheld_;
};

TEST_F(PackageUnderWine, InstallsSyncsAndUninstallsTheRealConduit) {
    // The command a script or CI runs; a file left at the path by an earlier run is replaced.
    const fs::path builder = MakeBuilderFolder(machine_.root() / "builder", tarn::test::BinDir());
    const std::vector<std::string> builderFiles = FilesIn(builder);
    const fs::path package = machine_.root() / "Items Setup.exe";
    tarn::test::WriteFileBytes(package, "a package from an earlier run");
    ProcessResult built = BuildPackage(builder, ItemsDocument(), package);
    ASSERT_EQ(built.exitCode, 0) << Explain(built);
    EXPECT_EQ(built.err, "");
    EXPECT_EQ(Bytes(package).substr(0, 2), "MZ");
    EXPECT_EQ(FilesIn(builder), builderFiles);

    WinePrefix wine(machine_.root() / "wine");
    const fs::path installed = wine.DriveC() / "Tarn $HOME Items";
    const std::string remove = std::string(kInstalled) + "\\remove.exe";
    const std::string registration = "ITEM\t" + std::string(kTitle) +
                                     "\t2\tTarnConduit2.cTarnConduit\tC:\\Tarn $HOME "
                                     "Items\\Bob's Items.cfg\n";

    // Without the sync suite: the package installs it and leaves the conduit's registration to
    // the next logon.
    ProcessResult run = wine.Run(package.string(), {"/S"});
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_EQ(FilesIn(installed),
              (std::vector<std::string>{"Bob's Items.cfg", "TarnCReg.exe", "remove.exe"}));
    EXPECT_EQ(Bytes(installed / "TarnCReg.exe"), Bytes(builder / "TarnCReg.exe"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.dll"), Bytes(builder / "TarnConduit2.dll"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.tlb"), Bytes(builder / "TarnConduit2.tlb"));
    EXPECT_EQ(wine.RegistryValue(kClassServerKey, ""), "C:\\windows\\system32\\TarnConduit2.dll");
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "DisplayName"),
              std::string(kTitle) + " (Remove Only)");
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "UninstallString"), remove);
    EXPECT_EQ(wine.RegistryValue(kPalmCoreKey, "Path"), "C:\\Program Files\\Palm");
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"),
              "C:\\Tarn $HOME Items\\TarnCReg.exe -R C:\\Tarn $HOME Items\\Bob's Items.cfg");
    EXPECT_EQ(RegisteredConduits(wine), "");

    // The next logon runs what the installer left for it.
    run = wine.Run((tarn::test::BinDir() / ".." / "tests" / "tarn-run-once.exe").string());
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"), std::nullopt);
    EXPECT_EQ(RegisteredConduits(wine), registration);

    // A real HotSync through the conduit library in the system folder: the desktop gets the
    // handheld's new record, the handheld the desktop's rows.
    Perl(kWriteItems, handheld_ / "ItemsDB.pdb");
    run = HotSync(wine);
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_NE(run.out.find("table Items: desktop 1 added, 0 changed, 0 deleted; handheld 2 added"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Perl(kReadItems, handheld_ / "ItemsDB.pdb"),
              "ItemsDB DATA ITEM\n1 one 1.5\n2 two 2.25\n3 three 3.75\n");
    EXPECT_EQ(Sql("SELECT * FROM Items ORDER BY Id"), "1|one|1.5\n2|two|2.25\n3|three|3.75\n");

    // A second sync changes nothing on either side, byte for byte.
    const std::string handheldFile = Bytes(handheld_ / "ItemsDB.pdb");
    const std::string desktopFile = Bytes(database_);
    run = HotSync(wine);
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_NE(run.out.find("3 left alone"), std::string::npos) << run.out;
    EXPECT_EQ(Bytes(handheld_ / "ItemsDB.pdb"), handheldFile);
    EXPECT_EQ(Bytes(database_), desktopFile);

    // The uninstaller unregisters the conduit and removes its files; the conduit library stays
    // for other conduits.
    run = wine.RunUntilGone(remove, {"/S"}, installed);
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_FALSE(fs::exists(installed));
    EXPECT_EQ(wine.RegistryValue(kUninstallKey, "DisplayName"), std::nullopt);
    EXPECT_EQ(RegisteredConduits(wine), "");
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.dll"), Bytes(builder / "TarnConduit2.dll"));
    EXPECT_EQ(wine.RegistryValue(kClassServerKey, ""), "C:\\windows\\system32\\TarnConduit2.dll");

    // When the sync suite cannot be installed (its folder would be inside a file), nothing is
    // promised for the next logon: the installer fails and keeps the suite's installer.
    wine.SetRegistryValue(kPalmCoreKey, "Path", "C:\\windows\\system32\\TarnConduit2.dll\\Palm");
    run = wine.Run(package.string(), {"/S"});
    EXPECT_EQ(run.exitCode, 1) << Explain(run);
    EXPECT_EQ(FilesIn(installed),
              (std::vector<std::string>{"Bob's Items.cfg", "PalmCOMInstaller.exe", "TarnCReg.exe",
                                        "remove.exe"}));
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"), std::nullopt);
    EXPECT_EQ(RegisteredConduits(wine), "");
    run = wine.RunUntilGone(remove, {"/S"}, installed);
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_FALSE(fs::exists(installed));
    wine.SetRegistryValue(kPalmCoreKey, "Path", "C:\\Program Files\\Palm");

    // With the sync suite present: registered at once, its installer left unused. A library of
    // the same version stays as it is; one whose version cannot be read is replaced.
    fs::copy_file(builder / "TarnCReg.exe", wine.System32() / "TarnConduit2.dll",
                  fs::copy_options::overwrite_existing);
    tarn::test::WriteFileBytes(wine.System32() / "TarnConduit2.tlb", "no version here");
    run = wine.Run(package.string(), {"/S"});
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_EQ(FilesIn(installed),
              (std::vector<std::string>{"Bob's Items.cfg", "PalmCOMInstaller.exe", "TarnCReg.exe",
                                        "remove.exe"}));
    EXPECT_EQ(wine.RegistryValue(kRunOnceKey, "RegisterConduit"), std::nullopt);
    EXPECT_EQ(RegisteredConduits(wine), registration);
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.dll"), Bytes(builder / "TarnCReg.exe"));
    EXPECT_EQ(Bytes(wine.System32() / "TarnConduit2.tlb"), Bytes(builder / "TarnConduit2.tlb"));

    run = wine.RunUntilGone(remove, {"/S"}, installed);
    ASSERT_EQ(run.exitCode, 0) << Explain(run);
    EXPECT_FALSE(fs::exists(installed));
    EXPECT_EQ(RegisteredConduits(wine), "");
}

}  // namespace
}  // namespace tarn::builder
