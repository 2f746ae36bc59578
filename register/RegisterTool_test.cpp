#include "register/RegisterTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/suite/PosixConduitManager.h"
#include "platform/suite/PosixHotSyncNotifier.h"
#include "platform/suite/PosixHotSyncUsers.h"
#include "platform/ui/MessageBoxCapture.h"
#include "tarn/Version.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::MMain {
namespace {

using platform::ConduitInfo;
using platform::PosixConduitManager;
using platform::ui::MessageBoxCapture;
using platform::ui::MessageBoxRequest;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;

const std::string kTitle = "Tarn Conduit Register Tool";

const std::string kVersionLine = std::string("Version: ") + kVersionText;

// A deployment copy as the builder writes it.
void WriteConduit(const std::filesystem::path& path, const std::string& creatorId,
                  const std::string& title) {
    ConduitSettings settings;
    settings.FormatVersion = kCurrentFormatVersion;
    settings.CreatorID = ScrambleString(creatorId);
    settings.ConduitTitle = ScrambleString(title);
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(WriteConfigFile(path.string(), settings, colTables{}));
}

std::uint32_t Number(const std::string& creatorId) {
    return PosixConduitManager().CreatorIdFromText(creatorId);
}

std::optional<ConduitInfo> Registration(const std::string& creatorId) {
    try {
        return PosixConduitManager().Lookup(Number(creatorId));
    } catch (...) {
        return std::nullopt;
    }
}

MessageBoxRequest Box(const std::string& text, MessageIcon icon = MessageIcon::Critical,
                      const std::string& caption = kTitle) {
    return {caption, text, icon, MessageButtons::Ok};
}

class RegisterTool : public testing::Test {
  protected:
    test::TestEnvironment env;
    MessageBoxCapture boxes;
};

TEST_F(RegisterTool, QuestionMarkAnywhereShowsTheAboutMessageAndDoesNothingElse) {
    std::filesystem::path path = env.root() / "what?.cfg";
    WriteConduit(path, "ABCD", "t");
    for (std::string line : std::vector<std::string>{"?", "-R " + path.string(), "  -U ABCD ?"}) {
        MessageBoxCapture shown;
        EXPECT_EQ(RunRegisterTool(line), 0) << line;
        ASSERT_EQ(shown.Shown().size(), 1u) << line;
        EXPECT_EQ(*shown.Last(), Box("Tarn Conduit Builder Register Tool\r\n" + kVersionLine,
                                     MessageIcon::Information));
    }
    EXPECT_FALSE(Registration("ABCD"));
}

TEST_F(RegisterTool, FewerThanSevenCharactersShowTheUsageMessage) {
    ASSERT_TRUE(MComInstall::RegisterConduit("ABC ", "t", "f", ""));
    for (std::string line : {"", "      ", "-U ABC", "  -U ABC  "}) {
        EXPECT_EQ(RunRegisterTool(line), kUsageError) << line;
        ASSERT_TRUE(boxes.Last()) << line;
        EXPECT_EQ(*boxes.Last(),
                  Box("This program is used to un/register conduits.\r\n" + kVersionLine,
                      MessageIcon::None));
    }
    EXPECT_EQ(boxes.Shown().size(), 4u);
    EXPECT_TRUE(Registration("ABC "));
}

TEST_F(RegisterTool, UnregistersSevenCharactersAndKeepsTheIdsCase) {
    ASSERT_TRUE(MComInstall::RegisterConduit("ABCD", "t", "f", ""));
    ASSERT_TRUE(MComInstall::RegisterConduit("abcd", "t", "f", ""));
    ASSERT_TRUE(MComInstall::RegisterConduit("Wxyz", "t", "f", ""));

    EXPECT_EQ(RunRegisterTool("-U ABCD"), 0);
    EXPECT_FALSE(Registration("ABCD"));
    // Lower-case switch, blanks around; only the first four characters count.
    EXPECT_EQ(RunRegisterTool("  -u   abcdEFG  "), 0);
    EXPECT_FALSE(Registration("abcd"));
    EXPECT_EQ(RunRegisterTool("-uWxyzQ"), 0);
    EXPECT_FALSE(Registration("Wxyz"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(RegisterTool, UnregisteringAnUnknownIdShowsTheErrorAndExitsWithOne) {
    EXPECT_EQ(RunRegisterTool("-U ZZZZ"), 1);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(*boxes.Last(), Box("Error unregistering conduit with Creator ID ZZZZ"));
}

TEST_F(RegisterTool, RegistersAPathWithSpacesInPlace) {
    platform::PosixHotSyncUsers users;
    std::uint32_t ann = users.FindOrCreateUser("Ann").id;
    std::filesystem::path folder = env.root() / "My Conduits" / "Sales 2024";
    WriteConduit(folder / "Sales Orders.cfg", "SaLe", "Sales Orders");

    EXPECT_EQ(RunRegisterTool("-R " + (folder / "Sales Orders.cfg").string()), 0);

    EXPECT_TRUE(boxes.Shown().empty());
    std::optional<ConduitInfo> info = Registration("SaLe");
    ASSERT_TRUE(info);
    EXPECT_EQ(*info,
              (ConduitInfo{"TarnConduit2.cTarnConduit", Number("SaLe"), folder.string() + "/", "",
                           "Sales Orders.cfg", "Sales Orders", 2}));
    EXPECT_EQ(users.ActionsFor(ann, Number("SaLe")).permanent, 0);
}

TEST_F(RegisterTool, LowerCaseSwitchAndABuilderDocumentRegisterToo) {
    ConduitSettings document;
    document.IsConfigFile = true;
    document.CreatorID = ScrambleString("DOCU");
    ASSERT_TRUE(WriteConfigFile((env.root() / "d.tcf").string(), document, colTables{}));
    EXPECT_EQ(RunRegisterTool("   -r " + (env.root() / "d.tcf").string() + "   "), 0);
    ASSERT_TRUE(Registration("DOCU"));
    EXPECT_EQ(Registration("DOCU")->directory, env.root().string() + "/");
}

TEST_F(RegisterTool, APathWithoutFolderRegistersAnEmptyDirectory) {
    WriteConduit(env.root() / "Bare.cfg", "BARE", "Bare");
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(env.root());
    int code = RunRegisterTool("-R Bare.cfg");
    std::filesystem::current_path(before);

    EXPECT_EQ(code, 0);
    ASSERT_TRUE(Registration("BARE"));
    EXPECT_EQ(Registration("BARE")->directory, "");
    EXPECT_EQ(Registration("BARE")->file, "Bare.cfg");
}

TEST_F(RegisterTool, ReRegistrationRemovesTheOldRegistrationFirst) {
    ASSERT_TRUE(MComInstall::RegisterConduit("SALE", "Old", "old.cfg", "/old/"));
    WriteConduit(env.root() / "new.cfg", "SALE", "New");
    std::uint64_t before = platform::PosixHotSyncNotifier().ConduitListChanges();

    EXPECT_EQ(RunRegisterTool("-R " + (env.root() / "new.cfg").string()), 0);

    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(Registration("SALE")->title, "New");
    EXPECT_EQ(Registration("SALE")->file, "new.cfg");
    // One change for the removal, one for the new registration.
    EXPECT_EQ(platform::PosixHotSyncNotifier().ConduitListChanges(), before + 2);
}

TEST_F(RegisterTool, AMissingConfigFileIsReportedAndNothingIsRegistered) {
    for (std::string path :
         {(env.root() / "nope.cfg").string(), env.root().string(), env.root().string() + "/"}) {
        EXPECT_EQ(RunRegisterTool("-R " + path), 1) << path;
        EXPECT_EQ(*boxes.Last(), Box("Conduit config file not found"));
    }
    EXPECT_TRUE(PosixConduitManager().List().empty());
}

TEST_F(RegisterTool, FailedRegistrationsSayErrorRegisteringConduit) {
    // Neither switch: no file at all; then a file too short to hold a Creator ID.
    test::WriteFileBytes(env.root() / "short.cfg", std::string("\0\0\2", 3));
    for (std::string line : std::vector<std::string>{"register me", "-X ABCDEFG",
                                                     "-R " + (env.root() / "short.cfg").string()}) {
        EXPECT_EQ(RunRegisterTool(line), 1) << line;
        ASSERT_TRUE(boxes.Last()) << line;
        EXPECT_EQ(*boxes.Last(), Box("Error registering Conduit", MessageIcon::Critical, "Error"));
    }
    EXPECT_EQ(boxes.Shown().size(), 3u);
    EXPECT_TRUE(PosixConduitManager().List().empty());
}

TEST_F(RegisterTool, WithoutTheHotSyncManagerRegisteringIsSilentButUnregisteringComplains) {
    WriteConduit(env.root() / "c.cfg", "ABCD", "t");
    std::filesystem::path blocked = env.root() / "not-a-folder";
    test::WriteFileBytes(blocked, "x");
    test::ScopedEnv home("TARN_HOME", blocked.string());

    EXPECT_EQ(RunRegisterTool("-R " + (env.root() / "c.cfg").string()), 1);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(RunRegisterTool("-U ABCD"), 1);
    ASSERT_TRUE(boxes.Last());
    EXPECT_EQ(boxes.Last()->text, "Error unregistering conduit with Creator ID ABCD");
}

}  // namespace
}  // namespace tarn::MMain
