#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "builder/ConduitForm.h"
#include "builder/DocumentFile.h"
#include "builder/ProgramFolders.h"
#include "builder/Verification.h"
#include "builder/testing/PackagingTestSupport.h"
#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::builder {
namespace {

using test::ValidConduitForm;

TEST(ConduitFormTest, SavingScramblesTheTextsButNotTheVersionAndLeavesUnshownMembersEmpty) {
    ConduitForm form = ValidConduitForm();
    form.Connection = {"SQLite3", "srv", "/data/orders.db", "ann", "secret", "Timeout=5"};
    form.SignaturePath = "/sig";
    form.PreSyncExecution = "/bin/pre";
    form.PostSyncExecution = "/bin/post";
    form.FilterDatabase = "TarnCFitler-TORD";
    form.AllowModifyDatabase = false;

    ConduitSettings s = SettingsFromForm(form, true, 3);
    EXPECT_TRUE(s.IsConfigFile);
    EXPECT_EQ(s.FormatVersion, 2);
    EXPECT_EQ(s.TableCount, 3);
    EXPECT_EQ(s.AllowModifyDatabase, 0);
    EXPECT_EQ(s.CompanyName, ScrambleString("Tarn Ltd"));
    EXPECT_NE(s.CompanyName, "Tarn Ltd");
    EXPECT_EQ(s.DBPassword, ScrambleString("secret"));
    EXPECT_EQ(s.FilterDatabase, ScrambleString("TarnCFitler-TORD"));
    EXPECT_EQ(s.Version, "1.0");
    EXPECT_TRUE(s.Reserved1.empty() && s.Reserved2.empty() && s.Reserved3.empty() &&
                s.Reserved4.empty() && s.Reserved5.empty());

    EXPECT_EQ(FormFromSettings(s), form);
    form.AllowModifyDatabase = true;
    EXPECT_EQ(SettingsFromForm(form, false, 0).AllowModifyDatabase, 1);
    EXPECT_FALSE(SettingsFromForm(form, false, 0).IsConfigFile);
}

TEST(VerificationTest, ReportsOnlyTheLastFailingCheckAndItsBox) {
    ConduitForm form = ValidConduitForm();
    form.InstallationPath = "";
    form.CreatorID = "ABCDE";
    Verification result = VerifyConduit(form, colTables{});
    EXPECT_EQ(result.message, "A unique 4 character Creator ID is required");
    EXPECT_EQ(result.box, VerifiedBox::CreatorID);
}

TEST(VerificationTest, TablesAreCheckedBeforeTheConduitBoxesInCollectionOrder) {
    colTables tables;
    tables.Add("Orders", "");                                 // no fields, no handheld name
    tables.Add("Lines", "TarnLines")->Fields().Add("Id", 3);  // complete
    tables.Add("Notes", "TarnNotes");                         // no fields
    Verification result = VerifyConduit(ValidConduitForm(), tables);
    EXPECT_EQ(result.message, "No fields are defined for the table Notes");
    EXPECT_EQ(result.box, VerifiedBox::None);

    ConduitForm form = ValidConduitForm();
    form.Version = " ";
    EXPECT_EQ(VerifyConduit(form, tables).message, "A version number for your conduit is required");
}

TEST(VerificationTest, OnlyTheTrimmedLengthOfTheCreatorIdCountsWhileTheCompileMenuCountsAsTyped) {
    ConduitForm form = ValidConduitForm();
    for (const char* id : {"AB C", " ABCD ", "ÄBÇD"}) {  // the last: four characters, more bytes
        form.CreatorID = id;
        EXPECT_TRUE(VerifyConduit(form, colTables{}).valid()) << id;
    }

    // Without four characters as typed the menu offers only Verify.
    const struct {
        const char* id;
        bool install;
        bool remove;
    } menus[] = {{"", false, false},      {"TOR", false, false}, {" ABCD ", false, false},
                 {"ABCDE", false, false}, {"ABCD", true, false}, {"REGD", false, true}};
    for (const auto& m : menus) {
        CompileMenuState state =
            CompileMenuFor(m.id, [](const std::string& id) { return id == "REGD"; });
        EXPECT_TRUE(state.verify) << m.id;
        EXPECT_EQ(state.install, m.install) << m.id;
        EXPECT_EQ(state.remove, m.remove) << m.id;
        EXPECT_EQ(state.createInstallation, m.install || m.remove) << m.id;
    }
}

TEST(CommandLineTest, OpensADocumentOnlyWhenTheLineNamesATcfFileInLowerCase) {
    EXPECT_EQ(DocumentFromCommandLine({"\"/home/ann/My Orders.tcf\""}), "/home/ann/My Orders.tcf");
    // A shell splits an unquoted path with blanks; the whole line is the path.
    EXPECT_EQ(DocumentFromCommandLine({"/home/ann/My", "Orders.tcf"}), "/home/ann/My Orders.tcf");
    EXPECT_EQ(DocumentFromCommandLine({"/home/ann/orders.tcf"}), "/home/ann/orders.tcf");
    EXPECT_EQ(DocumentFromCommandLine({"/home/ann/ORDERS.TCF"}), std::nullopt);
    EXPECT_EQ(DocumentFromCommandLine({}), std::nullopt);
}

// The fallback under TARN_HOME is the local installation's (frmMainCompile_test).
TEST(ProgramFoldersTest, DeploymentCopiesGoBesideTheProgram) {
    tarn::test::TestEnvironment machine;
    std::string program = (machine.root() / "bin").string();
    std::filesystem::create_directories(program);
    EXPECT_EQ(DeploymentFolder(program), program + "/");
    EXPECT_EQ(DeploymentFolder(program + "/"), program + "/");
}

class DocumentFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = (machine_.root() / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    DocumentRead Read(const std::filesystem::path& path) {
        return ReadDocument(path.string(), settings_, tables_);
    }
    tarn::test::TestEnvironment machine_;
    ConduitSettings settings_;
    colTables tables_;
};

TEST_F(DocumentFileTest, TellsDocumentsFromDeploymentCopiesAndFromFilesThatAreNoDescription) {
    const auto document = test::WriteDocument(machine_.root() / "a.tcf");
    EXPECT_EQ(Read(document), DocumentRead::Loaded);
    EXPECT_EQ(tables_.Item(1)->Fields().Count(), 1);
    EXPECT_EQ(Read(test::WriteDocument(machine_.root() / "a.cfg", ValidConduitForm(), false)),
              DocumentRead::DeploymentCopy);

    std::string whole = tarn::test::ReadFileBytes(document);
    for (const std::string& path :
         {Write("cut.tcf", whole.substr(0, whole.size() - 5)),
          Write("text.tcf", "Hello, this is a letter and not a conduit.\n"), Write("empty.tcf", ""),
          (machine_.root() / "missing.tcf").string(), machine_.root().string()})
        EXPECT_EQ(Read(path), DocumentRead::Unreadable) << path;
}

}  // namespace
}  // namespace tarn::builder
