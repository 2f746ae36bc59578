#include "common/connection/ConnectionString.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

constexpr char kAccess[] = "Microsoft Access Driver (*.mdb)";

TEST(BuildConnectionString, AFileDriverWithOnlyAPathNamesThePathTwiceAndNothingElse) {
    EXPECT_EQ(BuildConnectionString(kAccess, "C:\\data\\orders.mdb", "", "", "", "", true),
              "DRIVER={Microsoft Access Driver (*.mdb)};SERVER=C:\\data\\orders.mdb;"
              "DBQ=C:\\data\\orders.mdb");
}

TEST(BuildConnectionString, DatabaseUserPasswordAndAppendedTextFollowInOrder) {
    std::string masked = BuildConnectionString("PostgreSQL Unicode", "db.example", "orders",
                                               "sales", "s3cret;x", "Port=5433", true);
    EXPECT_EQ(masked,
              "DRIVER={PostgreSQL Unicode};SERVER=db.example;DBQ=db.example;database=orders;"
              "DB=orders;UID=sales;PWD=XXXXXX;Port=5433");
    std::string plain = BuildConnectionString("PostgreSQL Unicode", "db.example", "orders", "sales",
                                              "s3cret;x", "Port=5433", false);
    EXPECT_EQ(plain,
              "DRIVER={PostgreSQL Unicode};SERVER=db.example;DBQ=db.example;database=orders;"
              "DB=orders;UID=sales;PWD={s3cret;x};Port=5433");
}

// The five values reach the driver as they were typed; the appended text stays options.
TEST(BuildConnectionString, ValuesThatODBCWouldSplitAreBraced) {
    EXPECT_EQ(BuildConnectionString("Odd}Driver", "127.0.0.1;Port=5433", "a;b", "u=1", "p;w}d",
                                    "Port=1", false),
              "DRIVER={Odd}}Driver};SERVER=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
              "database={a;b};DB={a;b};UID={u=1};PWD={p;w}}d};Port=1");
    EXPECT_EQ(BuildConnectionString("SQLite3", "x;Database=other", "", "", "p;w", "", true),
              "DRIVER={SQLite3};SERVER={x;Database=other};PWD=XXXXXX");
}

TEST(BuildConnectionString, TheMaskIsSixXWhateverThePasswordsLength) {
    for (std::string password : {"a", "abcdef", "a much longer password than six"}) {
        std::string text = BuildConnectionString("(None)", "", "", "", password, "", true);
        EXPECT_EQ(text, "DRIVER={(None)};SERVER=;DBQ=;PWD=XXXXXX") << password;
    }
    // No password: no PWD at all, masked or not.
    EXPECT_EQ(BuildConnectionString("SQLite3", "s", "", "u", "", "", false),
              "DRIVER={SQLite3};SERVER=s;DBQ=s;UID=u");
}

TEST(BuildConnectionString, AppendedTextIsAddedAfterOneSemicolonVerbatim) {
    EXPECT_EQ(BuildConnectionString("SQLite3", "", "", "", "", ";Timeout=5", true),
              "DRIVER={SQLite3};SERVER=;DBQ=;;Timeout=5");
    EXPECT_EQ(
        BuildConnectionString(ConnectionSettings{"SQLite3", "", "/tmp/a.db", "", "", ""}, false),
        "DRIVER={SQLite3};SERVER=;DBQ=;database=/tmp/a.db;DB=/tmp/a.db");
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
