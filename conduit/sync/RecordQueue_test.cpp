#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/model/CollectionErrors.h"
#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/RecordOrder.h"
#include "conduit/sync/testing/TestSyncPlatform.h"

namespace tarn::conduit {
namespace {

class RecordQueue : public ::testing::Test {
  protected:
    RecordQueue() { log.DebugLevel = 3; }

    static colDataRecord::Record Record(const std::string& key, int32_t status = 0,
                                        bool palm = true) {
        auto record = std::make_shared<clsDataRecord>();
        record->PrimaryFieldValue = key;
        record->RecordStatus = status;
        record->PalmSource = palm;
        record->Fields().Add("Id", kTypeString)->Value = key;
        return record;
    }
    void Palm(const std::string& key, int32_t status = 0) {
        queue.AdmitPalmRecord(log, Record(key, status));
    }
    DesktopRowSkip Desktop(const std::string& key) {
        return queue.AdmitDesktopRecord(log, Record(key, 0, false));
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const auto& record : queue) keys.push_back(record->PrimaryFieldValue);
        return keys;
    }
    const std::vector<std::string>& Lines() const { return platform.utility.lines; }

    test::TestSyncPlatform platform;
    HotSyncLog log{platform.SyncUtility()};
    colDataRecord queue;
};

using Texts = std::vector<std::string>;

TEST(RecordOrderKey, SortsAccentsBesideTheirLetterAndSymbolsFirst) {
    std::vector<std::string> keys = {"f",     "éclair", "Zebra",   "eclair", "ezra", "9",
                                     "Œuvre", "o",      "1",       "_x",     "Ä",    "10",
                                     "a",     "straße", "strasse", "stras"};
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return RecordOrderKey(a) < RecordOrderKey(b);
    });
    EXPECT_EQ(keys, (Texts{"_x", "1", "10", "9", "a", "Ä", "eclair", "éclair", "ezra", "f", "o",
                           "Œuvre", "stras", "strasse", "straße", "Zebra"}));
}

TEST(RecordOrderKey, IsEqualExactlyForKeysEqualWithoutRegardToCase) {
    EXPECT_EQ(RecordOrderKey("ÉCLAIR"), RecordOrderKey("éclair"));
    EXPECT_EQ(RecordOrderKey("ŠŽŒŸ"), RecordOrderKey("šžœÿ"));
    EXPECT_EQ(RecordOrderKey("Abc"), RecordOrderKey("aBC"));
    EXPECT_NE(RecordOrderKey("e"), RecordOrderKey("é"));
    EXPECT_NE(RecordOrderKey("ss"), RecordOrderKey("ß"));
    EXPECT_NE(RecordOrderKey("a"), RecordOrderKey("a "));
    EXPECT_NE(RecordOrderKey(std::string("a\0b", 3)), RecordOrderKey(std::string("a\1b", 3)));
    // Keys beyond Windows-1252 and malformed UTF-8 still get distinct, stable places.
    EXPECT_NE(RecordOrderKey("日本"), RecordOrderKey("日"));
    EXPECT_LT(RecordOrderKey("z"), RecordOrderKey("日"));
    EXPECT_NE(RecordOrderKey("\xff"), RecordOrderKey("\xfe"));
}

TEST(RecordOrderKey, ComparesWithAKeyAsWithItsOrderText) {
    const std::vector<std::string> keys = {
        "",      "a",  "A",    "ab",   "aB",  "a b",    "a0", "b",  "10", "9",
        "_x",    "x_", "~",    "\x7f", "é",   "e",      "ée", "ß",  "ss", "日本",
        "Zebra", "ze", "zebr", "1.5",  "1,5", "K00001", "aé", "Aé", "zé"};
    for (const auto& a : keys) {
        const std::string order = RecordOrderKey(a);
        for (const auto& b : keys) {
            const int expected = order.compare(RecordOrderKey(b));
            const int actual = CompareRecordOrder(order, b);
            EXPECT_EQ(actual < 0, expected < 0) << a << " vs " << b;
            EXPECT_EQ(actual == 0, expected == 0) << a << " vs " << b;
        }
    }
}

// A record's values are kept with offsets as narrow as their total length allows.
TEST(RecordValues, ReadBackWhateverTheirTotalLength) {
    auto layout = std::make_shared<RecordLayout>();
    for (const char* name : {"Id", "Note", "Memo"}) layout->Add(name, kTypeString);
    const std::vector<std::vector<std::size_t>> lengths = {
        {0, 0, 0}, {1, 254, 0}, {1, 254, 1}, {2, 65533, 0}, {2, 65533, 1}, {70000, 0, 3}};
    for (const auto& sizes : lengths) {
        std::vector<std::string> values;
        for (std::size_t i = 0; i < sizes.size(); ++i)
            values.push_back(std::string(sizes[i], static_cast<char>('a' + i)));
        clsDataRecord record;
        record.SetValues(layout, values);
        for (std::size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(record.FieldValue(i), values[i]) << sizes[0] + sizes[1] + sizes[2];
        EXPECT_EQ(record.Fields().Item(2)->Value, values[1]);
    }
}

TEST_F(RecordQueue, AdmissionLinesAreWrittenAtLevelThree) {
    Palm("b");
    Desktop("a");
    EXPECT_EQ(Lines(), (Texts{"  Adding PDA Record to Queue: Key=b",
                              "  Adding Desktop Record to Queue: Key=a"}));

    platform.utility.lines.clear();
    log.DebugLevel = 2;
    Palm("c");
    Desktop("d");
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(Keys(), (Texts{"a", "b", "c", "d"}));
}

TEST_F(RecordQueue, LaterHandheldRecordOfAKeyIsDroppedWithALevelOneLine) {
    Palm("ABC");
    platform.utility.lines.clear();
    log.DebugLevel = 1;
    Palm("abc", RecordDeleted);
    EXPECT_EQ(Lines(), (Texts{"PDA record already exists: Key=abc"}));
    ASSERT_EQ(queue.Count(), 1);
    EXPECT_EQ(queue.Item("abc")->PrimaryFieldValue, "ABC");
    EXPECT_EQ(queue.Item(1)->RecordStatus, 0);
}

TEST_F(RecordQueue, DesktopRowReplacesHandheldRecordInPlace) {
    for (const char* key : {"6", "7", "8"}) Palm(key, 0x01);
    platform.utility.lines.clear();
    Desktop("7");

    EXPECT_EQ(Lines(), (Texts{"  Adding Desktop Record to Queue: Key=7"}));
    ASSERT_EQ(queue.Count(), 3);
    auto seven = queue.Item(2);
    EXPECT_EQ(seven->PrimaryFieldValue, "7");
    EXPECT_FALSE(seven->PalmSource);
    EXPECT_EQ(seven->RecordStatus, RecordOnDesktop);
    EXPECT_EQ(queue.Item("7"), seven);
}

// The queue logs neither: the deletion takes the row's key, and the reader of the desktop
// counts the rows whose key an earlier row had.
TEST_F(RecordQueue, DesktopRowOfAKeyDeletedOnTheHandheldOrAlreadyReadIsNotAdmitted) {
    Palm("7", RecordDeleted);
    Desktop("x");
    platform.utility.lines.clear();

    EXPECT_EQ(Desktop("7"), DesktopRowSkip::None);
    EXPECT_EQ(Desktop("X"), DesktopRowSkip::KeyOfAnEarlierRow);
    EXPECT_TRUE(Lines().empty());
    ASSERT_EQ(queue.Count(), 2);
    EXPECT_TRUE(queue.Item("7")->PalmSource);
    EXPECT_EQ(queue.Item("7")->RecordStatus, RecordDeleted);
    EXPECT_EQ(queue.Item("X")->PrimaryFieldValue, "x");
}

TEST_F(RecordQueue, DesktopAdmissionKeepsOtherStatusBits) {
    queue.AdmitDesktopRecord(log, Record("k", 0x02, false));
    EXPECT_EQ(queue.Item("K")->RecordStatus, 0x02 | RecordOnDesktop);
}

// Keys arriving out of order wait apart from the rest until they are merged in: lookups,
// removals and replacements find them there as in the ordered part.
TEST_F(RecordQueue, LooksUpRemovesAndRefusesUnknownKeysAndPositions) {
    for (const Texts& arrival : {Texts{"a", "B", "c", "d"}, Texts{"d", "c", "a", "B"}}) {
        SCOPED_TRACE(arrival.front());
        queue = colDataRecord();
        for (const auto& key : arrival) Palm(key);
        EXPECT_TRUE(queue.KeyExists("b"));
        EXPECT_FALSE(queue.KeyExists("e"));
        EXPECT_EQ(queue.Item("C")->PrimaryFieldValue, "c");
        EXPECT_THROW(queue.Item("e"), KeyNotFoundError);
        EXPECT_THROW(queue.Remove("e"), KeyNotFoundError);

        queue.Remove("A");
        queue.Remove("b");
        EXPECT_THROW(queue.Remove("b"), KeyNotFoundError);
        EXPECT_FALSE(queue.KeyExists("a"));
        Desktop("C");
        Palm("a");  // may come back after removal
        EXPECT_EQ(Keys(), (Texts{"a", "C", "d"}));
        EXPECT_FALSE(queue.Item(2)->PalmSource);
        EXPECT_THROW(queue.Item(0), IndexOutOfRangeError);
        EXPECT_THROW(queue.Item(4), IndexOutOfRangeError);
    }
}

TEST_F(RecordQueue, HoldsAFullHandheldDatabaseInOrder) {
    // A Palm database holds at most 65,535 records; they arrive in no particular order.
    constexpr int kRecords = 65535;
    std::vector<std::string> keys;
    keys.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "K%05d", i);
        keys.emplace_back(key);
    }
    std::vector<std::string> shuffled = keys;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20051231));

    log.DebugLevel = 1;
    for (const auto& key : shuffled) Palm(key);
    for (size_t i = 0; i < shuffled.size(); i += 2) Desktop(shuffled[i]);
    Palm("k00001");  // a duplicate at the end still finds its twin

    EXPECT_EQ(Keys(), keys);
    EXPECT_EQ(Lines(), (Texts{"PDA record already exists: Key=k00001"}));
    size_t onDesktop = 0;
    for (const auto& record : queue) onDesktop += (record->RecordStatus & RecordOnDesktop) ? 1 : 0;
    EXPECT_EQ(onDesktop, (shuffled.size() + 1) / 2);
}

// Keys arriving out of order wait apart from the rest until they are merged in; every rule
// must hold for a key wherever it waits. A plain map of order texts is the reference.
TEST_F(RecordQueue, AdmissionRulesHoldForKeysArrivingInAnyOrder) {
    log.DebugLevel = 1;
    struct Expected {
        std::string key;
        int32_t status;
        bool palm;
    };
    std::map<std::string, Expected> expected;
    std::mt19937 random(4711);
    for (int i = 0; i < 3000; ++i) {
        const int number = static_cast<int>(random() % 1200);
        // A third share one long beginning, so that only their whole order texts tell them
        // apart.
        std::string key = (random() % 2 ? "k" : "K") +
                          std::string(number % 3 == 0 ? "ey of many letters " : "") +
                          std::to_string(number);
        const bool palm = random() % 3 != 0;
        const int32_t status = palm && random() % 5 == 0 ? RecordDeleted : 0;
        const std::string order = RecordOrderKey(key);
        auto found = expected.find(order);
        if (palm) {
            queue.AdmitPalmRecord(log, Record(key, status));
            if (found == expected.end()) expected[order] = {key, status, true};
        } else {
            queue.AdmitDesktopRecord(log, Record(key, 0, false));
            if (found == expected.end())
                expected[order] = {key, RecordOnDesktop, false};
            else if (found->second.palm && !(found->second.status & RecordDeleted))
                found->second = {key, RecordOnDesktop, false};
        }
        if (i % 500 == 0) {
            ASSERT_TRUE(queue.KeyExists(key));
            EXPECT_EQ(queue.Item(key)->PrimaryFieldValue, expected[order].key);
        }
    }
    ASSERT_EQ(queue.Count(), static_cast<int32_t>(expected.size()));
    int32_t position = 0;
    for (const auto& [order, record] : expected) {
        auto queued = queue.Item(++position);
        EXPECT_EQ(queued->PrimaryFieldValue, record.key);
        EXPECT_EQ(queued->RecordStatus, record.status);
        EXPECT_EQ(queued->PalmSource, record.palm);
    }
}

}  // namespace
}  // namespace tarn::conduit
