// The packager window, driven offscreen through the Create Installation command.
#include "builder/frmCompile.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "builder/InstallerScript.h"
#include "builder/testing/BuilderTestSupport.h"
#include "builder/testing/PackagingTestSupport.h"

namespace tarn::builder {
namespace {

using platform::ui::FileDialogKind;
using platform::ui::MessageBoxRequest;
using platform::ui::MessageIcon;
using test::Find;
namespace fs = std::filesystem;

struct PackagerRun {
    bool shown = false;
    std::string status;  // the last status line
    int progress = -1;
};

class PackagerTest : public test::BuilderTest {
  protected:
    PackagerTest() : saved_(CurrentPackagerPauses()) { SetPackagerPauses({0, 0, 0}); }
    ~PackagerTest() override { SetPackagerPauses(saved_); }

    // Runs Create Installation; once the packager has finished, notes what it shows and closes
    // it with "&Ok".
    PackagerRun CreateInstallation(frmMain& window) {
        auto run = std::make_shared<PackagerRun>();
        ui::test::WhenModalShown("frmCompile", [run](QWidget& packager) {
            run->shown = true;
            auto poll = std::make_shared<std::function<void()>>();
            *poll = [run, poll, packager = &packager] {
                auto& ok = Find<QPushButton>(*packager, "cmdOK");
                if (!ok.isVisible()) {
                    QTimer::singleShot(5, [poll] { (*poll)(); });
                    return;
                }
                run->status = Find<QLabel>(*packager, "lblStatus").text().toStdString();
                run->progress = Find<QProgressBar>(*packager, "ProgressBar1").value();
                ok.click();
                *poll = nullptr;  // breaks the cycle
            };
            (*poll)();
        });
        window.mnuCompileCreateInstallation_Click();
        return *run;
    }

    // Create Installation of a conduit that verifies, named `title`, into `package` (none: the
    // save dialog is cancelled).
    PackagerRun CreateInstallationOf(const std::optional<std::string>& package,
                                     const QString& title = "Orders") {
        auto window = NewWindow();
        test::FillValidConduit(*window);
        Find<QLineEdit>(*window, "txtConduitTitle").setText(title);
        dialogs_.PresetAnswer(package);
        return CreateInstallation(*window);
    }

    // A compiler beside the builder, found before any on the search path.
    void FakeCompiler(const std::string& shellScript) {
        fs::path path = ProgramFolder() / "makensis";
        tarn::test::WriteFileBytes(path, "#!/bin/sh\nPATH=/usr/bin:/bin\n" + shellScript + "\n");
        fs::permissions(path, fs::perms::owner_all);
    }

    // No script, no deployment copy: only what the folder held before.
    void ExpectNoTemporaryFiles() {
        EXPECT_FALSE(fs::exists(ProgramFolder() / "_temp.nsi"));
        EXPECT_FALSE(fs::exists(ProgramFolder() / "TarnOrders.cfg"));
    }

    MessageBoxRequest Failure() const {
        return {"Conduit Builder", "There was an error generating the installation package",
                MessageIcon::Information};
    }

    PackagerPauses saved_;
};

TEST_F(PackagerTest, CancellingTheSaveDialogBuildsNothingAndLeavesNothingBehind) {
    PackagerRun run = CreateInstallationOf(std::nullopt);

    EXPECT_TRUE(run.shown);
    EXPECT_EQ(run.status, "Compilation cancelled due to no destination selected");
    EXPECT_EQ(run.progress, 0);
    EXPECT_TRUE(boxes_.Shown().empty());
    ASSERT_EQ(dialogs_.Shown().size(), 1u);
    EXPECT_EQ(dialogs_.Shown()[0],
              (platform::ui::FileDialogRequest{FileDialogKind::SaveFile, "",
                                               "Installation File (*.exe) | *.exe", "*.exe", ""}));
    ExpectNoTemporaryFiles();
}

// Named after its Creator ID, the package's deployment copy takes the place of the local
// installation's description, which the installed conduit still needs afterwards.
TEST_F(PackagerTest, KeepsTheDescriptionOfALocalInstallation) {
    auto window = NewWindow();
    test::FillValidConduit(*window);
    Find<QLineEdit>(*window, "txtConduitShortName").setText("TORD");
    window->InstallConduitLocally();
    const fs::path installed = ProgramFolder() / "TORD.cfg";
    const std::string before = tarn::test::ReadFileBytes(installed);
    Find<QLineEdit>(*window, "txtCompanyName").setText("Another Company");
    dialogs_.PresetAnswer(std::nullopt);
    CreateInstallation(*window);
    EXPECT_EQ(tarn::test::ReadFileBytes(installed), before);
    EXPECT_FALSE(fs::exists(ProgramFolder() / "_temp.nsi"));
}

TEST_F(PackagerTest, AConduitThatDoesNotVerifyOpensNoPackager) {
    auto window = NewWindow();
    test::FillValidConduit(*window);
    Find<QLineEdit>(*window, "txtVersion").clear();
    window->mnuCompileCreateInstallation_Click();
    EXPECT_EQ(boxes_.Last()->text, "A version number for your conduit is required");
    EXPECT_TRUE(dialogs_.Shown().empty());
    ExpectNoTemporaryFiles();
}

// Every way the compiler can fail ends in the same message, with no package and no
// temporary file; a package left from an earlier run never passes for this run's.
TEST_F(PackagerTest, ACompilerThatFailsIsNeverTakenForSuccess) {
    const fs::path package = PathIn("setup.exe");
    const struct {
        const char* name;
        std::optional<std::string> compiler;  // none: no compiler anywhere
        std::string status;
    } cases[] = {
        {"compiler missing", std::nullopt, "Error compiling installation package - Step 3"},
        {"compiler fails leaving a file", "echo half > '" + package.string() + "'; exit 1",
         "Installation Package not Found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(ProgramFolder() / "makensis");
        std::optional<tarn::test::ScopedEnv> path;
        if (c.compiler)
            FakeCompiler(*c.compiler);
        else
            path.emplace("PATH", PathIn("empty"));
        tarn::test::WriteFileBytes(package, "a package from an earlier run");
        PackagerRun run = CreateInstallationOf(package.string());

        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.progress, 0);
        EXPECT_EQ(boxes_.Last(), Failure());
        EXPECT_FALSE(fs::exists(package));
        ExpectNoTemporaryFiles();
    }
}

// The compiler gets the header lines once, in order, escaped, then the template, and finds
// the deployment copy beside the script.
TEST_F(PackagerTest, TheCompilerReadsTheHeaderLinesThenTheTemplate) {
    const fs::path seen = PathIn("seen.nsi");
    FakeCompiler("for last; do :; done\ncp \"$last\" '" + seen.string() +
                 "'\ntest -f \"$(dirname \"$last\")/TarnOrders.cfg\" && exit 7; exit 1");
    const std::string package = PathIn("setup.exe");
    PackagerRun run = CreateInstallationOf(package, "Say \"hi\" for $5");

    EXPECT_EQ(run.status, "Installation Package not Found");
    const std::string script = tarn::test::ReadFileBytes(seen);
    const std::string header =
        "NAME \"Say $\\\"hi$\\\" for $$5\"\r\n"
        "InstallDir \"/opt/orders\"\r\n"
        "!define VBFILESDIR \"" +
        ProgramFolder().string() +
        "\"\r\n"
        "!define CREATORID \"TORD\"\r\n"
        "!define CONDUIT_TITLE \"Say $\\\"hi$\\\" for $$5\"\r\n"
        "!define CONFIG_FILE \"TarnOrders.cfg\"\r\n"
        "OutFile \"" +
        package + "\"\r\n";
    EXPECT_EQ(script, "\xEF\xBB\xBF" + header + ScriptTemplate());
    ExpectNoTemporaryFiles();
}

TEST_F(PackagerTest, BuildsARealPackageWithMakensis) {
    std::string missing = test::WhyPackagesCannotBeBuilt();
    if (!missing.empty()) GTEST_SKIP() << missing;
    test::CopyWindowsFiles(test::WindowsStandIns(), ProgramFolder());
    const std::string package = PathIn("Orders Setup.exe");
    // Any title compiles: quotes, dollar signs, apostrophes.
    PackagerRun run = CreateInstallationOf(package, "O'Neil's \"Orders\" ${CREATORID} $INSTDIR");

    EXPECT_EQ(run.status, "Compilation Complete - Conduit Installation Created");
    EXPECT_EQ(run.progress, 10);
    EXPECT_EQ(boxes_.Last(),
              (MessageBoxRequest{"Conduit Builder",
                                 "Installation Package \"" + package + "\" Successfully Built",
                                 MessageIcon::Information}));
    EXPECT_EQ(tarn::test::ReadFileBytes(package).substr(0, 2), "MZ");
    ExpectNoTemporaryFiles();
}

}  // namespace
}  // namespace tarn::builder
