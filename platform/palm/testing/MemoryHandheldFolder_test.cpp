#include "platform/palm/testing/MemoryHandheldFolder.h"

#include <gtest/gtest.h>

#include "platform/palm/PalmErrors.h"
#include "platform/palm/PdbFile.h"

namespace tarn::platform::palm::testing {
namespace {

TEST(MemoryHandheldFolder, NthWriteFailsAndNothingIsStored) {
    MemoryHandheldFolder folder;
    folder.CreateRecordDatabase({"Orders", "TnCd"});
    const std::string created = folder.FileBytes("Orders.pdb");
    ASSERT_FALSE(created.empty());

    folder.SetFaults({.failOnWrite = 3});
    auto db = folder.OpenRecordDatabase("Orders");
    db->WriteRecord(0, 0, 0, "one");
    db->WriteRecord(0, 0, 0, "two");
    try {
        db->WriteRecord(0, 0, 0, "three");
        FAIL() << "the third write succeeded";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), kErrInjectedFault);
        EXPECT_NE(e.description().find("write 3"), std::string::npos);
    }
    db.reset();
    EXPECT_EQ(folder.FileBytes("Orders.pdb"), created);
}

TEST(MemoryHandheldFolder, CommitsIntoTheFolderUnlessPreparingOrPublishingIsToFail) {
    MemoryHandheldFolder folder;
    auto db = folder.CreateRecordDatabase({"Orders", "TnCd"});
    db->WriteRecord(0, 2, 0, "kept");
    db->Commit();
    EXPECT_EQ(ParsePdb(folder.FileBytes("Orders.pdb")).records.at(0).data, "kept");

    for (FaultPlan plan : {FaultPlan{.failOnPrepare = true}, FaultPlan{.failOnPublish = true}}) {
        folder.SetFaults(plan);
        auto failing = folder.OpenRecordDatabase("Orders");
        failing->RemoveAllRecords();
        EXPECT_THROW(failing->Commit(), PlatformError);
        EXPECT_EQ(ParsePdb(folder.FileBytes("Orders.pdb")).records.size(), 1u);
    }

    auto listings = folder.ListDatabases();
    ASSERT_EQ(listings.size(), 1u);
    EXPECT_EQ(listings[0].recordCount, 1u);
    EXPECT_THROW(folder.OpenRecordDatabase("Missing"), PlatformError);
}

}  // namespace
}  // namespace tarn::platform::palm::testing
