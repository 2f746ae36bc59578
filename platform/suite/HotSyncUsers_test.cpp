#include <gtest/gtest.h>

#include "platform/Error.h"
#include "platform/suite/PosixHotSyncUsers.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform {
namespace {

TEST(HotSyncUsers, UsersAreCreatedOnFirstUseByName) {
    test::TestEnvironment env;
    PosixHotSyncUsers users;
    EXPECT_TRUE(users.UserIds().empty());
    EXPECT_EQ(users.FindOrCreateUser("Ann").id, 1u);
    EXPECT_EQ(users.FindOrCreateUser("Bob \"the\" \xC3\xBC").id, 2u);
    EXPECT_EQ(users.FindOrCreateUser("Ann").id, 1u);
    EXPECT_EQ(users.FindOrCreateUser("ann").id, 3u);  // names are exact
    EXPECT_EQ(PosixHotSyncUsers().UserIds(), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(PosixHotSyncUsers().Users()[1].name, "Bob \"the\" \xC3\xBC");
    EXPECT_THROW(users.FindOrCreateUser(""), PlatformError);
}

TEST(HotSyncUsers, SyncActionsArePerUserAndCreatorId) {
    test::TestEnvironment env;
    PosixHotSyncUsers users;
    std::uint32_t ann = users.FindOrCreateUser("Ann").id;
    std::uint32_t bob = users.FindOrCreateUser("Bob").id;
    users.SetPermanentSyncAction(ann, 0x41424344u, 0);
    users.SetTemporarySyncAction(ann, 0x41424344u, -1);
    users.SetPermanentSyncAction(bob, 0x41424344u, 3);

    SyncActions annActions = PosixHotSyncUsers().ActionsFor(ann, 0x41424344u);
    EXPECT_EQ(annActions.permanent, 0);
    EXPECT_EQ(annActions.temporary, -1);
    EXPECT_EQ(users.ActionsFor(bob, 0x41424344u).permanent, 3);
    EXPECT_FALSE(users.ActionsFor(bob, 0x41424344u).temporary);
    EXPECT_FALSE(users.ActionsFor(ann, 0x45454545u).permanent);

    EXPECT_THROW(users.SetPermanentSyncAction(99, 0x41424344u, 0), PlatformError);
    EXPECT_THROW(users.SetTemporarySyncAction(99, 0x41424344u, 0), PlatformError);
}

}  // namespace
}  // namespace tarn::platform
