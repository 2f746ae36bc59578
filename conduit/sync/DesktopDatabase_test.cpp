#include "conduit/sync/DesktopDatabase.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/config/Scramble.h"
#include "conduit/sync/DesktopTestSupport.h"
#include "platform/odbc/OdbcError.h"

namespace tarn::conduit::test {
namespace {

using platform::odbc::CursorKind;

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

TEST(SyncConnectionString, ServerDriverCarriesEveryPartAndMasksThePassword) {
    auto text = BuildSyncConnectionString(
        Settings("MySQL ODBC 3.51 Driver", "db.local", "shop", "ann", "p;w'd"));
    EXPECT_EQ(text.connect,
              "driver={MySQL ODBC 3.51 Driver};server=db.local;DBQ=db.local;database=shop;"
              "DB=shop;uid=ann;PWD={p;w'd};OPTION=3;");
    EXPECT_EQ(text.loggable,
              "driver={MySQL ODBC 3.51 Driver};server=db.local;DBQ=db.local;database=shop;"
              "DB=shop;uid=ann;PWD=XXXXXXXXX;OPTION=3;");
}

TEST(SyncConnectionString, OptionalPartsAndTheMySqlOption) {
    EXPECT_EQ(
        BuildSyncConnectionString(Settings("Microsoft Access Driver", "C:\\d\\a.mdb", "")).connect,
        "driver={Microsoft Access Driver};server=C:\\d\\a.mdb;DBQ=C:\\d\\a.mdb;");
    // A user without a password: nothing to mask.
    auto noPassword = BuildSyncConnectionString(Settings("PostgreSQL Unicode", "h", "d", "u"));
    EXPECT_EQ(noPassword.connect,
              "driver={PostgreSQL Unicode};server=h;DBQ=h;database=d;DB=d;uid=u;");
    EXPECT_EQ(noPassword.loggable, noPassword.connect);
    // "MYSQL" anywhere in the string and in any case asks for the option; MariaDB's driver
    // does not.
    EXPECT_TRUE(BuildSyncConnectionString(Settings("x", "mysql.example", ""))
                    .connect.ends_with("OPTION=3;"));
    EXPECT_FALSE(BuildSyncConnectionString(Settings("MariaDB Unicode", "h", "d"))
                     .connect.ends_with("OPTION=3;"));
}

// A value that would otherwise add options of its own ("Database=other") stays one value, in
// the logged copy as much as in the string that connects.
TEST(SyncConnectionString, EveryValueIsQuotedAsODBCReadsIt) {
    auto text = BuildSyncConnectionString(
        Settings("Odd}Driver", "127.0.0.1;Port=5433", "a;b", "u;Database=other", "p;w}d=1"));
    EXPECT_EQ(text.connect,
              "driver={Odd}}Driver};server=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
              "database={a;b};DB={a;b};uid={u;Database=other};PWD={p;w}}d=1};");
    EXPECT_EQ(text.loggable,
              "driver={Odd}}Driver};server=127.0.0.1;Port=5433;DBQ=127.0.0.1;Port=5433;"
              "database={a;b};DB={a;b};uid={u;Database=other};PWD=XXXXXXXXX;");
    // A braced server goes only under the key its kind of driver reads.
    EXPECT_EQ(BuildSyncConnectionString(Settings("x", "h;Database=other", "")).connect,
              "driver={x};server={h;Database=other};");
    EXPECT_EQ(BuildSyncConnectionString(Settings("Access (*.mdb)", "C:\\a;b.mdb", "")).connect,
              "driver={Access (*.mdb)};DBQ={C:\\a;b.mdb};");
}

class OpenDesktopDatabaseTest : public DesktopTest {};

// Without a driver name the driver manager would take the first driver it knows, and the
// sync would run against whatever database that driver opens.
TEST_F(OpenDesktopDatabaseTest, NoDriverIsRefusedBeforeConnecting) {
    for (const char* driver : {"", "  ", "(None)"}) {
        host.utility.lines.clear();
        session.Outcome.Failures.clear();
        session.Log.DebugLevel = 1;
        ConnectEngine();  // an earlier synchronisation's connection
        EXPECT_FALSE(OpenDesktopDatabase(session, Settings(driver, "", DatabaseFile().string())));
        EXPECT_EQ(session.DesktopConnection, nullptr);
        EXPECT_EQ(Lines(), (std::vector<std::string>{
                               "Error opening desktop database: No ODBC driver selected\r\n"
                               "Error Num:0"}))
            << driver;
        EXPECT_EQ(
            session.Outcome.Failures,
            (std::vector<std::string>{"Error opening desktop database: No ODBC driver selected "
                                      "(error 0)"}));
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

TEST_F(OpenDesktopDatabaseTest, FailureIsOneLevelOneLineAndLeavesNoConnection) {
    session.Log.DebugLevel = 1;
    ConnectEngine();  // an earlier synchronisation's connection
    EXPECT_FALSE(OpenDesktopDatabase(session, Settings("No Such Driver", "", "x.db")));
    EXPECT_EQ(session.DesktopConnection, nullptr);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_TRUE(Lines()[0].starts_with("Error opening desktop database: ")) << Lines()[0];
    EXPECT_NE(Lines()[0].find("\r\nError Num:"), std::string::npos) << Lines()[0];
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
    SqlDialect Probe() {
        return FindSqlDialect(*session.DesktopConnection, DesktopDialect::Other, session.Tables,
                              session.Log);
    }
};

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
}

// A database whose rules for names are given as a function; for PostgreSQL's
// exact-case double quotes without a server.
class DialectConnection : public platform::odbc::Connection {
  public:
    DialectConnection(std::string dbms, std::function<bool(const std::string&)> accepts)
        : dbms_(std::move(dbms)), accepts_(std::move(accepts)) {}

    void Execute(const std::string& sql) override { statements.push_back(sql); }
    std::unique_ptr<platform::odbc::ResultSet> OpenResultSet(const std::string& sql,
                                                             CursorKind) override {
        statements.push_back(sql);
        if (!accepts_(sql)) throw platform::odbc::OdbcError(1, "syntax error", "42000");
        return std::make_unique<NoRows>();
    }
    bool HasRows(const std::string& sql) override { return OpenResultSet(sql, {})->HasRows(); }
    std::vector<std::string> ListTables() override { return {}; }
    std::vector<platform::odbc::ColumnInfo> ListColumns(const std::string&) override { return {}; }
    std::string DriverInfo(unsigned short infoType) override {
        return infoType == 17 ? dbms_ : "\"";
    }
    bool SupportsTransactions() override { return false; }
    bool BeginTransaction() override { return false; }
    void Commit() override {}
    void Rollback() override {}

    std::vector<std::string> statements;

  private:
    class NoRows : public platform::odbc::ResultSet {
      public:
        bool AtEnd() const override { return true; }
        void Next() override {}
        bool HasRows() const override { return false; }
        const std::vector<std::string>& ColumnNames() const override { return names_; }
        std::optional<std::size_t> FindColumn(std::string_view) const override {
            return std::nullopt;
        }
        const std::optional<std::string>& Value(std::size_t) const override {
            throw platform::odbc::OdbcError(platform::odbc::kNoCurrentRow, "No current row", "");
        }

      private:
        std::vector<std::string> names_;
    };

    std::string dbms_;
    std::function<bool(const std::string&)> accepts_;
};

// PostgreSQL: only "Name" in its exact case, or bare names.
bool PostgresAccepts(const std::string& sql) {
    for (const char* refused : {"'", "`", "[", "tarn_no_such_column"})
        if (sql.find(refused) != std::string::npos) return false;
    return sql.find("\"Orders\"") != std::string::npos || sql.find('"') == std::string::npos;
}

TEST_F(DelimiterProbeTest, DoubleQuotesAreTriedLastAndProbesReadNoRows) {
    auto connection = std::make_unique<DialectConnection>("PostgreSQL", PostgresAccepts);
    DialectConnection& seen = *connection;
    session.DesktopConnection = std::move(connection);
    session.Tables.Add("Orders");
    const SqlDialect dialect = Probe();
    EXPECT_EQ(dialect.LeftDelimiter(), "\"");
    EXPECT_EQ(dialect.RightDelimiter(), "\"");
    ASSERT_FALSE(seen.statements.empty());
    for (const auto& sql : seen.statements) EXPECT_TRUE(sql.ends_with(" WHERE 1=0")) << sql;

    // A table known only under another case cannot be quoted: names stay bare.
    session.Tables.Remove(1);
    session.Tables.Add("orders");
    EXPECT_EQ(Probe().LeftDelimiter(), "");
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
