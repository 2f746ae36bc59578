#include <gtest/gtest.h>

#include "common/model/clsField.h"
#include "common/model/clsTable.h"

namespace tarn {
namespace {

std::string TableOrder(const colTables& tables) {
    std::string order;
    for (const auto& t : tables) order += t->DesktopTableName;
    return order;
}

std::string FieldOrder(const colFields& fields) {
    std::string order;
    for (const auto& f : fields) order += f->FieldName;
    return order;
}

colTables ThreeTables() {
    colTables tables;
    tables.Add("A");
    tables.Add("B");
    tables.Add("C");
    return tables;
}

TEST(Model, KeysIgnoreLetterCaseIncludingAccentedLetters) {
    colTables tables;
    tables.Add("orders");
    EXPECT_THROW(tables.Add("Orders"), DuplicateKeyError);
    EXPECT_EQ(tables.Count(), 1);
    EXPECT_TRUE(tables.InCollection("ORDERS"));
    EXPECT_FALSE(tables.InCollection("Order"));

    tables.Add("Étude");
    EXPECT_THROW(tables.Add("éTUDE"), DuplicateKeyError);
    EXPECT_EQ(tables.Item("ÉTUDE")->DesktopTableName, "Étude");
}

TEST(Model, LookupFailuresAreDistinctErrors) {
    colTables tables = ThreeTables();
    EXPECT_THROW(tables.Item("D"), KeyNotFoundError);
    EXPECT_THROW(tables.Item(0), IndexOutOfRangeError);
    EXPECT_THROW(tables.Item(4), IndexOutOfRangeError);
    EXPECT_THROW(tables.Remove("D"), KeyNotFoundError);
    EXPECT_THROW(tables.MoveUp(5), IndexOutOfRangeError);
    EXPECT_THROW(tables.MoveDown(0), IndexOutOfRangeError);
    EXPECT_THROW(tables.ChangeKey("D", "E"), KeyNotFoundError);
    EXPECT_EQ(TableOrder(tables), "ABC");
    EXPECT_EQ(tables.Item(2)->DesktopTableName, "B");
}

TEST(Model, MovesKeepEveryTableFindableByName) {
    colTables tables = ThreeTables();
    tables.MoveUp(1);  // the first cannot go up, the last cannot go down
    tables.MoveDown(3);
    EXPECT_EQ(TableOrder(tables), "ABC");
    tables.MoveUp(3);
    EXPECT_EQ(TableOrder(tables), "ACB");
    tables.MoveDown(1);
    EXPECT_EQ(TableOrder(tables), "CAB");
    for (const char* name : {"A", "B", "C"}) EXPECT_EQ(tables.Item(name)->DesktopTableName, name);
}

TEST(Model, MovingATableRekeysItUnderItsName) {
    colTables tables;
    tables.Add("A", "", 0, false, "custom");
    tables.Add("B");
    tables.MoveDown(1);
    EXPECT_EQ(TableOrder(tables), "BA");
    EXPECT_TRUE(tables.InCollection("A"));
    EXPECT_FALSE(tables.InCollection("custom"));
}

TEST(Model, FieldMovesRemovesAndKeyChanges) {
    colFields fields;
    fields.Add("a", 6);
    fields.Add("b", 3);
    fields.Add("c", 1, "Region");
    fields.MoveUp(2);
    EXPECT_EQ(FieldOrder(fields), "bac");
    fields.Remove("b");
    EXPECT_EQ(FieldOrder(fields), "ac");

    fields.ChangeKey("a", "x");
    EXPECT_EQ(FieldOrder(fields), "ac");  // only the key changes
    EXPECT_EQ(fields.Item("x")->FieldName, "a");
    EXPECT_THROW(fields.Item("a"), KeyNotFoundError);

    fields.ChangeKey("x", "x");  // same key: nothing
    EXPECT_THROW(fields.ChangeKey("x", "X"), DuplicateKeyError);
    EXPECT_THROW(fields.ChangeKey("x", "C"), DuplicateKeyError);
    EXPECT_EQ(fields.Item("x")->FieldName, "a");
    EXPECT_EQ(fields.KeyAt(1), "x");
}

TEST(Model, AppendSharesTheCallersObjectAndRefusesDuplicates) {
    colFields fields;
    auto field = std::make_shared<clsField>();
    field->FieldName = "Name";
    fields.Append(field);
    field->Value = "changed";
    EXPECT_EQ(fields.Item(1)->Value, "changed");

    auto twin = std::make_shared<clsField>();
    twin->FieldName = "NAME";
    EXPECT_THROW(fields.Append(twin), DuplicateKeyError);
    EXPECT_EQ(fields.Count(), 1);
}

TEST(Model, AFailedMoveLeavesTheCollectionUnchanged) {
    colTables tables;
    tables.Add("A", "", 0, false, "first");
    auto b = tables.Add("B");
    tables.Add("A");
    b->DesktopTableName = "a";  // renamed but not re-keyed yet
    // Moving re-keys B under "a", which the third table holds.
    EXPECT_THROW(tables.MoveUp(2), DuplicateKeyError);
    EXPECT_EQ(tables.Count(), 3);
    EXPECT_EQ(tables.KeyAt(2), "B");
}

}  // namespace
}  // namespace tarn
