// The Windows edition under wine: the host loading the conduit library runs a real HotSync on
// SQLite through the host machine's ODBC driver, the register tool and the library register in
// the real (wine) registry, and the sync suite's installer installs what conduit installers
// test for. Every case shares the prefix of the wine_prefix fixture and runs alone in it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"
#include "windows/tests/WineSupport.h"

namespace tarn::windows {
namespace {

namespace wine = test::wine;
using test::Explain;
using test::ProcessResult;

constexpr char kClassKey[] =
    "HKLM\\Software\\Classes\\CLSID\\{6F1C2A40-7B3E-4D8A-9C51-2E7D4B9A0C12}\\InprocServer32";
constexpr char kProgIdKey[] = "HKLM\\Software\\Classes\\TarnConduit2.cTarnConduit\\CLSID";
constexpr char kPalmCoreKey[] = "HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core";

class WindowsEditionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        handheld_ = machine_.root() / "handheld";
        std::filesystem::create_directories(handheld_);
        database_ = machine_.root() / "desk.db";
        auto db = platform::odbc::OpenOdbcEnvironment()->Connect("DRIVER={SQLite3};Database=" +
                                                                 database_.string());
        db->Execute("CREATE TABLE Items (Id INTEGER, Name TEXT)");
        db->Execute("INSERT INTO Items VALUES (1, 'one'), (2, 'two')");

        ConduitSettings s;
        s.ConduitTitle = ScrambleString("Items Conduit");
        s.CreatorID = ScrambleString("ITEM");
        s.DBDriver = ScrambleString("SQLite3");
        // The driver runs on this machine, behind wine's ODBC: it takes this machine's path.
        s.DBDatabase = ScrambleString(database_.string());
        colTables tables;
        auto t = tables.Add("Items", "ItemsDB", 0);
        t->Fields().Add("Id", 3);
        t->Fields().Add("Name", 6);
        s.TableCount = 1;
        std::filesystem::create_directories(machine_.root() / "my conduits");
        config_ = machine_.root() / "my conduits" / "items.cfg";
        ASSERT_TRUE(WriteConfigFile(config_.string(), s, tables));
    }

    ProcessResult HotSync(const std::vector<std::string>& args) {
        return wine::Run("hotsync.exe", args, machine_.tarnHome());
    }
    ProcessResult TarnCReg(const std::vector<std::string>& args) {
        return wine::Run("TarnCReg.exe", args, machine_.tarnHome());
    }
    std::string DesktopRows() {
        auto db = platform::odbc::OpenOdbcEnvironment()->Connect("DRIVER={SQLite3};Database=" +
                                                                 database_.string());
        auto rows = db->OpenResultSet("SELECT Id, Name FROM Items ORDER BY Id",
                                      platform::odbc::CursorKind::ForwardOnly);
        std::string text;
        for (; !rows->AtEnd(); rows->Next())
            text += rows->Value(0).value_or("NULL") + "," + rows->Value(1).value_or("NULL") + ";";
        return text;
    }

    test::TestEnvironment machine_;
    std::filesystem::path handheld_, database_, config_;
};

TEST_F(WindowsEditionTest, TheHostRunsARealHotSyncThroughTheConduitLibrary) {
    const std::string library = test::WindowsPath(test::BinDir() / "TarnConduit2.dll");
    ProcessResult result = HotSync({"regsvr", library});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    // regsvr32's keys: the ProgID names the class, the class names the library.
    result = wine::Reg({"query", kProgIdKey, "/ve"});
    EXPECT_NE(result.out.find("{6F1C2A40-7B3E-4D8A-9C51-2E7D4B9A0C12}"), std::string::npos)
        << Explain(result);
    result = wine::Reg({"query", kClassKey, "/ve"});
    EXPECT_NE(result.out.find(library), std::string::npos) << Explain(result);

    // The path goes in unquoted, blanks and all, as installers pass it: wine would quote an
    // argument holding a blank, so the words are handed over one by one.
    std::vector<std::string> words = {"-R"};
    std::istringstream path(test::WindowsPath(config_));
    for (std::string word; std::getline(path, word, ' ');) words.push_back(word);
    result = TarnCReg(words);
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    result = HotSync({"list"});
    EXPECT_EQ(result.out, "ITEM\tItems Conduit\t2\tTarnConduit2.cTarnConduit\t" +
                              test::WindowsPath(config_) + "\n")
        << Explain(result);

    const std::string handheld = test::WindowsPath(handheld_);
    result = HotSync({"sync", "--handheld", handheld, "--user", "Ann"});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(result.out.find("Completed Synchronization\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("handheld 2 added"), std::string::npos) << result.out;
    const std::string file = test::ReadFileBytes(handheld_ / "ItemsDB.pdb");
    const std::string rows = DesktopRows();

    // Read back by an independent reader of handheld databases.
    ProcessResult perl = test::RunProcess(
        "/usr/bin/perl", {"-MPalm::PDB", "-MPalm::Raw", "-e",
                          "my $p = Palm::PDB->new; $p->Load($ARGV[0]); "
                          "print $p->{name}, ' ', scalar(@{$p->{records}}), qq(\\n)",
                          (handheld_ / "ItemsDB.pdb").string()});
    EXPECT_EQ(perl.out, "ItemsDB 2\n") << Explain(perl);

    // The second sync changes nothing on either side.
    result = HotSync({"sync", "--handheld", handheld, "--user", "Ann"});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(result.out.find("2 left alone"), std::string::npos) << result.out;
    EXPECT_EQ(test::ReadFileBytes(handheld_ / "ItemsDB.pdb"), file);
    EXPECT_EQ(DesktopRows(), rows);
    EXPECT_EQ(rows, "1,one;2,two;");

    // The configuration window of the Windows edition points to the builder.
    result = HotSync({"configure", "ITEM"});
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(result.err.find("TarnConduit2: This conduit is configured with the Tarn Conduit "
                              "Builder (TarnCBuilder).\nIts description file is " +
                              test::WindowsPath(config_) + "."),
              std::string::npos)
        << Explain(result);

    result = TarnCReg({"-U", "ITEM"});
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_EQ(HotSync({"list"}).out, "");
    result = HotSync({"regsvr", "-u", library});
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(wine::Reg({"query", kClassKey}).exitCode, 0);
    EXPECT_NE(wine::Reg({"query", kProgIdKey}).exitCode, 0);
}

TEST_F(WindowsEditionTest, TheTypeLibraryLoadsFromItsFileAndFromTheConduitLibrary) {
    const std::string check = (test::BinDir() / ".." / "tests" / "tarn-typelib-check.exe").string();
    for (const char* file : {"TarnConduit2.tlb", "TarnConduit2.dll"}) {
        ProcessResult result =
            wine::Run(check, {test::WindowsPath(test::BinDir() / file)}, machine_.tarnHome());
        EXPECT_EQ(result.exitCode, 0) << file << "\n" << Explain(result);
        EXPECT_EQ(result.out, "version 2.0\nclass cTarnConduit\ninterface IPDClientNotify\n")
            << file;
    }
}

TEST_F(WindowsEditionTest, TheDebugLevelLivesInTheRealRegistry) {
    ProcessResult result =
        HotSync({"reg", "set", "HKLM\\Software\\TarnConduit2", "DebugLevel", "3", "--dword"});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    result = wine::Reg({"query", "HKLM\\Software\\TarnConduit2", "/v", "DebugLevel"});
    EXPECT_NE(result.out.find("REG_DWORD"), std::string::npos) << Explain(result);
    EXPECT_NE(result.out.find("0x3"), std::string::npos) << Explain(result);
    result = HotSync({"reg", "get", "HKLM\\Software\\TarnConduit2", "DebugLevel"});
    EXPECT_NE(result.out.find("3"), std::string::npos) << Explain(result);
    result = HotSync({"reg", "delete", "HKLM\\Software\\TarnConduit2", "DebugLevel"});
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(wine::Reg({"query", "HKLM\\Software\\TarnConduit2", "/v", "DebugLevel"}).exitCode, 0);
}

TEST_F(WindowsEditionTest, WithoutTarnHomeTheStateLivesInTheUsersLocalApplicationData) {
    ProcessResult result = wine::Run("hotsync.exe", {"list"}, {});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    bool found = false;
    for (const auto& user : std::filesystem::directory_iterator(wine::DriveC() / "users"))
        found = found || std::filesystem::is_directory(user.path() / "AppData" / "Local" / "Tarn");
    EXPECT_TRUE(found) << "no Tarn folder in a user's AppData\\Local";
}

TEST_F(WindowsEditionTest, TheRegisterToolSaysWhatWentWrongAndExitsAccordingly) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"-U", "ABC"}, 2, "This program is used to un/register conduits."},
        {{"-U", "NONE"}, 1, "Error unregistering conduit with Creator ID NONE"},
        {{"-R", "Z:\\nowhere\\none.cfg"}, 1, "Conduit config file not found"},
        {{"?"}, 0, "Version: 2.0.0"},
    };
    for (const Case& c : cases) {
        ProcessResult result = TarnCReg(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args[0] << "\n" << Explain(result);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << Explain(result);
    }
}

TEST_F(WindowsEditionTest, TheSuiteInstallerInstallsSilentlyWhatConduitInstallersTestFor) {
    wine::Reg({"delete", kPalmCoreKey, "/f"});
    ProcessResult result =
        wine::Run("PalmCOMInstaller.exe", {"-s", "-a", "-s"}, machine_.tarnHome());
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    result = wine::Reg({"query", kPalmCoreKey, "/v", "Path"});
    ASSERT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(result.out.find("C:\\Program Files\\Palm"), std::string::npos) << result.out;

    const std::filesystem::path folder = wine::DriveC() / "Program Files" / "Palm";
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "hotsync.exe"));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "ComDirect.dll"));

    // The installer's compiler reads the version of the installed library, as a conduit
    // installer's check does on the target, and of every file it packs.
    test::TempDir dir;
    const std::filesystem::path script = dir.path() / "versions.nsi";
    std::ofstream(script) << "Unicode true\nTarget amd64-unicode\nOutFile \""
                          << (dir.path() / "out.exe").string() << "\"\n"
                          << "!getdllversion \"" << (folder / "ComDirect.dll").string()
                          << "\" SUITE_\n!echo \"suite ${SUITE_1}.${SUITE_2}.${SUITE_3}\"\n"
                          << "Section\n";
    for (const char* file : {"TarnConduit2.dll", "TarnConduit2.tlb", "TarnCReg.exe",
                             "PalmCOMInstaller.exe", "hotsync.exe"})
        std::ofstream(script, std::ios::app)
            << "GetDLLVersionLocal \"" << (test::BinDir() / file).string() << "\" $R0 $R1\n";
    std::ofstream(script, std::ios::app) << "SectionEnd\n";
    result = test::RunProcess("/usr/bin/makensis", {"-V4", script.string()});
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
    EXPECT_NE(result.out.find("suite 2.0.0"), std::string::npos) << result.out;

    // Run again, it updates the folder it recorded.
    result = wine::Run("PalmCOMInstaller.exe", {"-s", "-a", "-s"}, machine_.tarnHome());
    EXPECT_EQ(result.exitCode, 0) << Explain(result);
}

}  // namespace
}  // namespace tarn::windows
