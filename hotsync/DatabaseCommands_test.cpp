// Drives the built hotsync program on a handheld folder with a good, a resource and a damaged
// database file.
#include <gtest/gtest.h>

#include "platform/palm/FourCharCode.h"
#include "platform/palm/PdbFile.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync {
namespace {

namespace palm = tarn::platform::palm;

class DatabaseCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(env_.root() / "hh");
        palm::PdbDatabase good;
        good.header.name = "Customers \xE9";
        good.header.type = *palm::FourCharCodeFromText("DATA");
        good.header.creator = *palm::FourCharCodeFromText("TnCd");
        good.records.push_back({palm::kRecordAttrDirty | 2, 0x000102, "Hi"});
        good.records.push_back({0, 7, std::string("\0\xFF", 2)});
        good.records.push_back({palm::kRecordAttrSecret, 8, ""});
        test::WriteFileBytes(env_.root() / "hh" / "b-customers.pdb", palm::SerializePdb(good));

        palm::PdbDatabase resource;
        resource.header.name = "Tool";
        resource.header.type = *palm::FourCharCodeFromText("appl");
        resource.header.creator = *palm::FourCharCodeFromText("TOOL");
        std::string bytes = palm::SerializePdb(resource);
        bytes[33] = 0x01;
        test::WriteFileBytes(env_.root() / "hh" / "a-tool.prc", bytes);

        good.header.name = "Broken";
        std::string damaged = palm::SerializePdb(good);
        damaged[77] = static_cast<char>(0xFF);  // 255 records claimed
        test::WriteFileBytes(env_.root() / "hh" / "c-damaged.pdb", damaged);
    }

    test::ProcessResult Hotsync(const std::vector<std::string>& args) {
        return test::RunProcess((test::BinDir() / "hotsync").string(), args);
    }

    std::string Folder() const { return (env_.root() / "hh").string(); }

    test::TestEnvironment env_;
};

TEST_F(DatabaseCommandsTest, ListsEveryFileAndGoesOnPastDamage) {
    auto result = Hotsync({"databases", "--handheld", Folder()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "a-tool.prc: \"Tool\" type appl creator TOOL, resource database, 0 resources\n"
              "b-customers.pdb: \"Customers é\" type DATA creator TnCd, 3 records\n"
              "c-damaged.pdb: cannot be read: record list of 255 entries needs 2118 bytes but "
              "the file has 108\n");
}

TEST_F(DatabaseCommandsTest, DumpsRecordsOfOneDatabase) {
    auto result = Hotsync({"dump", "--handheld", Folder(), "Customers é"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "0: attributes 0x40 category 2 unique ID 258 (2 bytes) 4869\n"
              "1: attributes 0x00 category 0 unique ID 7 (2 bytes) 00ff\n"
              "2: attributes 0x10 category 0 unique ID 8 (0 bytes) \n");
    EXPECT_TRUE(result.err.empty());
}

TEST_F(DatabaseCommandsTest, FailuresGoToStderrWithNonZeroExit) {
    auto missing = Hotsync({"dump", "--handheld", Folder(), "Nobody"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("no database named \"Nobody\""), std::string::npos) << missing.err;

    auto resource = Hotsync({"dump", "--handheld", Folder(), "Tool"});
    EXPECT_NE(resource.exitCode, 0);
    EXPECT_NE(resource.err.find("resource database"), std::string::npos) << resource.err;
}

}  // namespace
}  // namespace tarn::hotsync
