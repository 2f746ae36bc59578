#include "common/connection/ConnectionString.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

constexpr char kAccess[] = "Microsoft Access Driver (*.mdb)";

// The values reach the driver as they were typed; the appended text stays options.
TEST(BuildConnectionString, NamesEachValueOnceInOrderAndBracesWhatODBCWouldSplit) {
    const struct {
        const char* name;
        ConnectionSettings settings;  // driver, server, database, user, password, appended
        bool masked;
        std::string expected;
    } cases[] = {
        {"a file driver with only a path names it twice",
         {kAccess, "C:\\data\\orders.mdb", "", "", "", ""},
         true,
         "DRIVER={Microsoft Access Driver (*.mdb)};SERVER=C:\\data\\orders.mdb;"
         "DBQ=C:\\data\\orders.mdb"},
        {"every value, masked",
         {"PostgreSQL Unicode", "db.example", "orders", "sales", "s3cret;x", "Port=5433"},
         true,
         "DRIVER={PostgreSQL Unicode};SERVER=db.example;DBQ=db.example;database=orders;"
         "DB=orders;UID=sales;PWD=XXXXXX;Port=5433"},
        {"every value, plain",
         {"PostgreSQL Unicode", "db.example", "orders", "sales", "s3cret;x", "Port=5433"},
         false,
         "DRIVER={PostgreSQL Unicode};SERVER=db.example;DBQ=db.example;database=orders;"
         "DB=orders;UID=sales;PWD={s3cret;x};Port=5433"},
        {"values ODBC would split",
         {"Odd}Driver", "127.0.0.1;Port=5433", "a;b", "u=1", "p;w}d", "Port=1"},
         false,
         "DRIVER={Odd}}Driver};SERVER=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
         "database={a;b};DB={a;b};UID={u=1};PWD={p;w}}d};Port=1"},
        {"a server that would name another database",
         {"SQLite3", "x;Database=other", "", "", "p;w", ""},
         true,
         "DRIVER={SQLite3};SERVER={x;Database=other};PWD=XXXXXX"},
        {"no password, no PWD",
         {"SQLite3", "s", "", "u", "", ""},
         false,
         "DRIVER={SQLite3};SERVER=s;DBQ=s;UID=u"},
        {"appended text after one semicolon, verbatim",
         {"SQLite3", "", "", "", "", ";Timeout=5"},
         true,
         "DRIVER={SQLite3};SERVER=;DBQ=;;Timeout=5"},
        {"a database file",
         {"SQLite3", "", "/tmp/a.db", "", "", ""},
         false,
         "DRIVER={SQLite3};SERVER=;DBQ=;database=/tmp/a.db;DB=/tmp/a.db"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildConnectionString(c.settings, c.masked), c.expected);
        const ConnectionSettings& s = c.settings;
        EXPECT_EQ(BuildConnectionString(s.Driver, s.Server, s.Database, s.Username, s.Password,
                                        s.Append, c.masked),
                  c.expected);
    }
}

TEST(FileBasedDriver, IsRecognisedByAFilePatternInTheName) {
    EXPECT_TRUE(IsFileBasedDriver(kAccess));
    EXPECT_TRUE(IsFileBasedDriver("Driver do Microsoft Paradox (*.db )"));
    EXPECT_FALSE(IsFileBasedDriver("SQLite3"));
    EXPECT_FALSE(IsFileBasedDriver("(None)"));
    EXPECT_FALSE(IsFileBasedDriver("Odd * . driver"));

    EXPECT_EQ(DriverFilePattern(kAccess), "*.mdb");
    EXPECT_EQ(DriverFilePattern("Some Driver (*.db)"), "*.db)");
    EXPECT_EQ(DriverFilePattern("Short *.a"), "*.a");
    EXPECT_EQ(DriverFilePattern("SQLite3"), "");
}

TEST(DatabaseFileDriver, IsSqlitesWhateverTheCaseOrVersion) {
    for (const char* driver : {"SQLite3", "SQLite", "sqlite3 odbc"})
        EXPECT_TRUE(DriverOpensDatabaseFile(driver)) << driver;
    for (const char* driver : {"(None)", "", "SQL", kAccess, "PostgreSQL Unicode", "My SQLite"})
        EXPECT_FALSE(DriverOpensDatabaseFile(driver)) << driver;
}

}  // namespace
}  // namespace tarn
