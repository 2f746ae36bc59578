#include "common/model/DataTypes.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(DataTypes, NamesForTheFirstAndLastCodesAndEmptyForUnknownCodes) {
    EXPECT_EQ(DataTypeName(0), "Byte");
    EXPECT_EQ(DataTypeName(10), "IgnoreField");
    EXPECT_EQ(DataTypeName(11), "");
    EXPECT_EQ(DataTypeName(-1), "");
}

TEST(DataTypes, ProposalForDesktopColumns) {
    EXPECT_EQ(DataTypeFromColumnType(7), kTypeInteger);  // REAL is proposed as a whole number
    EXPECT_EQ(DataTypeFromColumnType(2), kTypeInteger);  // NUMERIC likewise
    EXPECT_EQ(DataTypeFromColumnType(-7), kTypeByte);
    EXPECT_EQ(DataTypeFromColumnType(3), kTypeDouble);
    EXPECT_EQ(DataTypeFromColumnType(11), kTypeDate);
    EXPECT_EQ(DataTypeFromColumnType(9), kTypeIgnoreField);
    EXPECT_EQ(DataTypeFromColumnType(10), kTypeIgnoreField);
    EXPECT_EQ(DataTypeFromColumnType(93), kTypeString);  // ODBC 3 codes are not in the table
}

}  // namespace
}  // namespace tarn
