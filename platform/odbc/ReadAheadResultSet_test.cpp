#include "platform/odbc/ReadAheadResultSet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "platform/odbc/OdbcError.h"
#include "platform/odbc/OdbcTestDatabase.h"

namespace tarn::platform::odbc {
namespace {

using ReadAheadResultSetTest = OdbcTestDatabase;

// Every row and value a plain read gives, NULL told from empty text, across many blocks and a
// last one cut short; a column left unread stays unread.
TEST_F(ReadAheadResultSetTest, GivesTheRowsOfAPlainReadInOrder) {
    connection_->Execute("CREATE TABLE t (Id INTEGER, Name TEXT, Note TEXT)");
    connection_->Execute("BEGIN");
    for (int i = 1; i <= 1000; ++i)
        connection_->Execute("INSERT INTO t VALUES (" + std::to_string(i) + ", " +
                             (i % 10 == 0   ? "NULL"
                              : i % 10 == 1 ? "''"
                                            : "'n" + std::to_string(i) + "'") +
                             ", 'skipped')");
    connection_->Execute("COMMIT");
    const std::string query = "SELECT Id, Name, Note FROM t ORDER BY Id";
    auto plain = connection_->OpenResultSet(query, CursorKind::ForwardOnly);
    ReadAheadResultSet ahead(connection_->OpenResultSet(query, CursorKind::ForwardOnly), 7);
    ahead.ReadOnlyColumns({true, true});
    EXPECT_TRUE(ahead.HasRows());
    EXPECT_EQ(ahead.FindColumn("name"), 1u);
    int rows = 0;
    for (; !plain->AtEnd(); plain->Next(), ahead.Next(), ++rows) {
        ASSERT_FALSE(ahead.AtEnd()) << rows;
        ASSERT_EQ(ahead.Value(std::size_t{0}), plain->Value(std::size_t{0}));
        ASSERT_EQ(ahead.Value(1), plain->Value(1)) << rows;
        if (rows > 0) {
            EXPECT_THROW(ahead.Value(2), OdbcError);
        }
    }
    EXPECT_EQ(rows, 1000);
    EXPECT_TRUE(ahead.AtEnd());
    ahead.Next();
    EXPECT_TRUE(ahead.AtEnd());
    EXPECT_THROW(ahead.Value(std::size_t{0}), OdbcError);

    // Rows of long texts end their blocks early; none is lost or repeated.
    connection_->Execute("CREATE TABLE l (Id INTEGER, Text TEXT)");
    connection_->Execute(
        "INSERT INTO l WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
        "60) "
        "SELECT i, i || replace(hex(zeroblob(20000)), '00', 'ab') FROM n");
    ReadAheadResultSet longTexts(
        connection_->OpenResultSet("SELECT * FROM l ORDER BY Id", CursorKind::ForwardOnly));
    int id = 0;
    for (; !longTexts.AtEnd(); longTexts.Next()) {
        ASSERT_EQ(longTexts.Value(std::size_t{0}), std::to_string(++id));
        ASSERT_EQ(longTexts.Value(1)->size(), 40000 + std::to_string(id).size());
    }
    EXPECT_EQ(id, 60);

    ReadAheadResultSet empty(
        connection_->OpenResultSet("SELECT * FROM t WHERE Id < 0", CursorKind::ForwardOnly));
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_FALSE(empty.HasRows());
    empty.Next();
    EXPECT_TRUE(empty.AtEnd());
}

// Rows counted from 0 whose Next fails when it would move onto row `failAt`; `moves` counts the
// rows it moved onto.
class CountingRows : public ResultSet {
  public:
    CountingRows(int rows, int failAt, std::atomic<int>& moves)
        : moves_(moves), rows_(rows), failAt_(failAt) {}
    bool AtEnd() const override { return row_ >= rows_; }
    void Next() override {
        if (AtEnd()) return;
        if (row_ + 1 == failAt_) throw std::runtime_error("fetch failed");
        ++row_;
        ++moves_;
        value_ = std::to_string(row_);
    }
    bool HasRows() const override { return rows_ > 0; }
    const std::vector<std::string>& ColumnNames() const override { return names_; }
    std::optional<std::size_t> FindColumn(std::string_view name) const override {
        return name == "n" ? std::optional<std::size_t>(0) : std::nullopt;
    }
    const std::optional<std::string>& Value(std::size_t) const override { return value_; }

  private:
    std::atomic<int>& moves_;
    int rows_;
    int failAt_;
    int row_ = 0;
    std::optional<std::string> value_ = "0";
    std::vector<std::string> names_{"n"};
};

TEST(ReadAheadFailures, AFailedFetchReachesTheCallerAfterTheRowsBeforeIt) {
    std::atomic<int> moves = 0;
    ReadAheadResultSet rows(std::make_unique<CountingRows>(100, 42, moves), 5);
    int read = 0;
    try {
        for (; !rows.AtEnd(); rows.Next()) {
            ASSERT_EQ(rows.Value(std::size_t{0}), std::to_string(read));
            ++read;
        }
        FAIL() << "the failure was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "fetch failed");
    }
    EXPECT_EQ(read, 42);
    EXPECT_TRUE(rows.AtEnd());
    EXPECT_THROW(rows.Value(std::size_t{0}), OdbcError);
}

TEST(ReadAheadFailures, LeftEarlyItStopsReadingWithoutReadingEveryRow) {
    std::atomic<int> moves = 0;
    {
        ReadAheadResultSet rows(std::make_unique<CountingRows>(1000000, -1, moves), 16);
        rows.Next();
        rows.Next();
        EXPECT_EQ(rows.Value(std::size_t{0}), "2");
    }
    // A few blocks at most, however many rows are left.
    EXPECT_LT(moves.load(), 100);
}

}  // namespace
}  // namespace tarn::platform::odbc
