#include "conduit/sync/DesktopDatabase.h"

#include <gtest/gtest.h>

#include "common/config/Scramble.h"
#include "conduit/sync/DesktopTestSupport.h"
#include "platform/odbc/testing/FaultInjectingDatabase.h"

namespace tarn::conduit::test {
namespace {

ConduitSettings Settings(const std::string& driver, const std::string& server,
                         const std::string& database, const std::string& user = "",
                         const std::string& password = "") {
    ConduitSettings s;
    s.DBDriver = ScrambleString(driver);
    s.DBServer = ScrambleString(server);
    s.DBDatabase = ScrambleString(database);
    s.DBUsername = ScrambleString(user);
    s.DBPassword = ScrambleString(password);
    return s;
}

// Every value is quoted as ODBC reads it: a value that would otherwise add options of its own
// ("Database=other") stays one value, in the logged copy as much as in the string that
// connects. The password is masked in the logged copy.
TEST(SyncConnectionString, CarriesEachPartQuotedAndMasksThePassword) {
    const struct {
        ConduitSettings settings;
        std::string connect;
        std::string loggable;  // empty: the same as `connect`
    } cases[] = {
        {Settings("MySQL ODBC 3.51 Driver", "db.local", "shop", "ann", "p;w'd"),
         "driver={MySQL ODBC 3.51 Driver};server=db.local;DBQ=db.local;database=shop;DB=shop;"
         "uid=ann;PWD={p;w'd};OPTION=3;",
         "driver={MySQL ODBC 3.51 Driver};server=db.local;DBQ=db.local;database=shop;DB=shop;"
         "uid=ann;PWD=XXXXXXXXX;OPTION=3;"},
        {Settings("Microsoft Access Driver", "C:\\d\\a.mdb", ""),
         "driver={Microsoft Access Driver};server=C:\\d\\a.mdb;DBQ=C:\\d\\a.mdb;", ""},
        // A user without a password: nothing to mask.
        {Settings("PostgreSQL Unicode", "h", "d", "u"),
         "driver={PostgreSQL Unicode};server=h;DBQ=h;database=d;DB=d;uid=u;", ""},
        // "MYSQL" anywhere in the string and in any case asks for the option; MariaDB's driver
        // does not.
        {Settings("x", "mysql.example", ""),
         "driver={x};server=mysql.example;DBQ=mysql.example;OPTION=3;", ""},
        {Settings("MariaDB Unicode", "h", "d"),
         "driver={MariaDB Unicode};server=h;DBQ=h;database=d;DB=d;", ""},
        {Settings("Odd}Driver", "127.0.0.1;Port=5433", "a;b", "u;Database=other", "p;w}d=1"),
         "driver={Odd}}Driver};server=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
         "database={a;b};DB={a;b};uid={u;Database=other};PWD={p;w}}d=1};",
         "driver={Odd}}Driver};server=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
         "database={a;b};DB={a;b};uid={u;Database=other};PWD=XXXXXXXXX;"},
        // A braced server goes only under the key its kind of driver reads.
        {Settings("x", "h;Database=other", ""), "driver={x};server={h;Database=other};", ""},
        {Settings("Access (*.mdb)", "C:\\a;b.mdb", ""),
         "driver={Access (*.mdb)};DBQ={C:\\a;b.mdb};", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connect);
        const auto text = BuildSyncConnectionString(c.settings);
        EXPECT_EQ(text.connect, c.connect);
        EXPECT_EQ(text.loggable, c.loggable.empty() ? c.connect : c.loggable);
    }
}

class OpenDesktopDatabaseTest : public DesktopTest {};

// Without a driver name the driver manager would take the first driver it knows, and the
// sync would run against whatever database that driver opens: it is refused before connecting.
// Any failure to open is one level-one line and one failure, and leaves no connection behind.
TEST_F(OpenDesktopDatabaseTest, FailureIsOneLevelOneLineAndLeavesNoConnection) {
    for (const std::string driver : {"", "  ", "(None)", "No Such Driver"}) {
        SCOPED_TRACE(driver);
        host.utility.lines.clear();
        session.Outcome.Failures.clear();
        session.Log.DebugLevel = 1;
        ConnectEngine();  // an earlier synchronisation's connection
        EXPECT_FALSE(OpenDesktopDatabase(session, Settings(driver, "", DatabaseFile().string())));
        EXPECT_EQ(session.DesktopConnection, nullptr);
        ASSERT_EQ(Lines().size(), 1u);
        ASSERT_EQ(session.Outcome.Failures.size(), 1u);
        if (driver == "No Such Driver") {
            EXPECT_TRUE(Lines()[0].starts_with("Error opening desktop database: ")) << Lines()[0];
            EXPECT_NE(Lines()[0].find("\r\nError Num:"), std::string::npos) << Lines()[0];
        } else {
            EXPECT_EQ(Lines()[0],
                      "Error opening desktop database: No ODBC driver selected\r\nError Num:0");
            EXPECT_EQ(session.Outcome.Failures[0],
                      "Error opening desktop database: No ODBC driver selected (error 0)");
        }
    }
}

TEST_F(OpenDesktopDatabaseTest, OpensSqliteLogsEachStepAndNeverThePassword) {
    Desk().Execute("CREATE TABLE Orders (Id INTEGER)");
    session.Tables.Add("Orders", "OrdersDB");
    ConduitSettings settings = SqliteSettings(DatabaseFile());
    settings.DBPassword = ScrambleString("hunter2");

    ASSERT_TRUE(OpenDesktopDatabase(session, settings));
    ASSERT_NE(session.DesktopConnection, nullptr);
    const std::string file = DatabaseFile().string();
    std::vector<std::string> expected{
        " Building Connection String",
        " Connection String: driver={SQLite3};server=;DBQ=;database=" + file + ";DB=" + file +
            ";PWD=XXXXXXXXX;",
        " Opening Desktop Database",
        "  Setting Left Field Delimiter: `",
        "  Setting Right Field Delimiter: `",
        "  Setting Quote Identifier: '",
        "  Setting Escape Character: '",
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(host.LogText().find("hunter2"), std::string::npos);
}

TEST_F(OpenDesktopDatabaseTest, SqliteWithoutADatabaseFileIsRefusedAndCreatesNothing) {
    // The driver would create a file named after the connection string in the current folder.
    std::filesystem::path folder = host.environment.root() / "cwd";
    std::filesystem::create_directories(folder);
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    session.Tables.Add("Orders");
    bool opened = OpenDesktopDatabase(session, Settings("SQLite3", "/tmp/x.db", ""));
    std::filesystem::current_path(previous);

    EXPECT_FALSE(opened);
    EXPECT_EQ(session.DesktopConnection, nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ASSERT_FALSE(Lines().empty());
    EXPECT_EQ(Lines().back(),
              "Error opening desktop database: no database file is set for the SQLite driver");
    EXPECT_EQ(host.LogText().find("Opening Desktop Database"), std::string::npos);
}

class DelimiterProbeTest : public DesktopTest {
  protected:
    // Opens the engine's connection through a wrapper that keeps every statement it runs.
    void ConnectEngine() {
        DesktopTest::ConnectEngine();
        auto recording = std::make_unique<platform::odbc::fakes::FaultInjectingConnection>(
            std::move(session.DesktopConnection));
        statements_ = recording.get();
        session.DesktopConnection = std::move(recording);
    }
    SqlDialect Probe() {
        return FindSqlDialect(*session.DesktopConnection, DesktopDialect::Other, session.Tables,
                              session.Log);
    }
    // The probes must read no rows: the table may hold tens of thousands.
    void ExpectEveryProbeReadsNoRows() {
        ASSERT_FALSE(statements_->Statements().empty());
        for (const auto& sql : statements_->Statements())
            EXPECT_TRUE(sql.ends_with(" WHERE 1=0")) << sql;
    }

  private:
    platform::odbc::fakes::FaultInjectingConnection* statements_ = nullptr;
};

// Double quotes, tried last, are what PostgreSQL settles on; the acceptance tests check that
// on the server.
TEST_F(DelimiterProbeTest, SqliteSettlesOnBackquotesBecauseSingleQuotesMakeLiterals) {
    Desk().Execute("CREATE TABLE People (Id INTEGER, Name TEXT)");
    Desk().Execute("INSERT INTO People VALUES (1, 'Id')");
    session.Tables.Add("People");
    ConnectEngine();
    const SqlDialect dialect = Probe();
    EXPECT_EQ(dialect.LeftDelimiter(), "`");
    EXPECT_EQ(dialect.RightDelimiter(), "`");
    EXPECT_EQ(dialect.QuoteCharacter(), "'");
    EXPECT_EQ(dialect.EscapeCharacter(), "'");
    ExpectEveryProbeReadsNoRows();
    // The delimiters found really name the column: a literal 'Id' would match the row's text.
    std::string sql = "SELECT Id FROM People WHERE " + dialect.Identifier("Name") + "=" +
                      dialect.Identifier("Id");
    EXPECT_EQ(Scalar(sql), std::nullopt);
}

TEST_F(DelimiterProbeTest, NoTablesMeansNoProbeAndNoLines) {
    ConnectEngine();
    EXPECT_EQ(Probe().LeftDelimiter(), "");
    EXPECT_TRUE(Lines().empty());
}

TEST_F(DelimiterProbeTest, MissingTableLeavesNamesBareAndValuesSingleQuoted) {
    session.Tables.Add("NotThere");
    ConnectEngine();
    const SqlDialect dialect = Probe();
    EXPECT_EQ(dialect.LeftDelimiter(), "");
    EXPECT_EQ(dialect.RightDelimiter(), "");
    EXPECT_EQ(dialect.QuoteCharacter(), "'");
    EXPECT_EQ(Lines()[0], "  Setting Left Field Delimiter: ");
    ExpectEveryProbeReadsNoRows();
}

TEST(Identifier, DoublesTheClosingDelimiterWithinAName) {
    EXPECT_EQ(SqlDialect(DesktopDialect::MySql, "`", "`").Identifier("a`b\"c"), "`a``b\"c`");
    EXPECT_EQ(SqlDialect(DesktopDialect::PostgreSql, "\"", "\"").Identifier("say \"hi\""),
              "\"say \"\"hi\"\"\"");
    EXPECT_EQ(SqlDialect(DesktopDialect::Other, "[", "]").Identifier("a]b[c"), "[a]]b[c]");
    EXPECT_EQ(SqlDialect().Identifier("plain"), "plain");
}

TEST(EscapeValue, DoublesEverySingleQuoteAndNothingElse) {
    // Whatever the database, the escape is the doubled single quote.
    for (const SqlDialect& dialect : {SqlDialect(), SqlDialect(DesktopDialect::MySql, "`", "`"),
                                      SqlDialect(DesktopDialect::PostgreSql, "\"", "\"")}) {
        EXPECT_EQ(dialect.EscapeValue("O'Brien"), "O''Brien");
        EXPECT_EQ(dialect.EscapeValue("''"), "''''");
        EXPECT_EQ(dialect.EscapeValue("a\\'b\"c"), "a\\''b\"c");
        EXPECT_EQ(dialect.EscapeValue(""), "");
        EXPECT_EQ(dialect.Literal("x'y"), "'x''y'");
    }
}

}  // namespace
}  // namespace tarn::conduit::test
