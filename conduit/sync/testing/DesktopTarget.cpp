#include "conduit/sync/testing/DesktopTarget.h"

#include <unistd.h>

#include <atomic>
#include <exception>

#include "platform/odbc/OdbcEnvironment.h"
#include "tests/support/DatabaseServers.h"
#include "tests/support/TempDir.h"

namespace tarn::conduit::test {
namespace {

constexpr const char* kKeepBackslashes =
    "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
    "'NO_BACKSLASH_ESCAPES')";

// Unique on the shared server across the parallel test processes of a run.
std::string FreshDatabaseName() {
    static std::atomic<int> counter{0};
    return "tarn_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

}  // namespace

void ShareOneOdbcDriverList() {
    static const std::unique_ptr<tarn::test::TempDir> folder = [] {
        auto owned = std::make_unique<tarn::test::TempDir>();
        const tarn::test::TempDir& made = *owned;
        std::filesystem::create_directories(made / "odbc");
        tarn::test::WriteFileBytes(made / "odbc" / "odbc.ini", "");
        std::string list;
        auto add = [&](const std::string& name, const std::string& library,
                       const std::string& extra) {
            if (!library.empty()) list += "[" + name + "]\nDriver=" + library + "\n" + extra + "\n";
        };
        add("SQLite3", tarn::test::FindOdbcDriverLibrary("libsqlite3odbc.so"), "");
        add("PostgreSQL Unicode", tarn::test::FindOdbcDriverLibrary("psqlodbcw.so"),
            "CommLog=0\nDebug=0\n");
        add("MariaDB Unicode", tarn::test::FindOdbcDriverLibrary("libmaodbc.so"), "");
        tarn::test::WriteFileBytes(made / "odbc" / "odbcinst.ini", list);
        tarn::test::ScopedEnv sysIni("ODBCSYSINI", (made / "odbc").string());
        tarn::test::ScopedEnv userIni("ODBCINI", (made / "odbc" / "odbc.ini").string());
        platform::odbc::OpenOdbcEnvironment()->ListDrivers();
        return owned;
    }();
    (void)folder;
}

std::string DesktopKindName(DesktopKind kind) {
    switch (kind) {
        case DesktopKind::Sqlite:
            return "SQLite";
        case DesktopKind::PostgreSql:
            return "PostgreSQL";
        case DesktopKind::MariaDb:
            return "MariaDB";
    }
    return "?";
}

DesktopTarget::DesktopTarget(DesktopKind kind, tarn::test::TestEnvironment& environment,
                             platform::odbc::Environment& odbc)
    : kind(kind), odbc_(odbc) {
    if (kind == DesktopKind::Sqlite) {
        driver = "SQLite3";
        database = (environment.root() / "desktop.db").string();
        return;
    }
    tarn::test::AddServerOdbcDrivers(environment);
    const tarn::test::DatabaseServers servers = tarn::test::ReadDatabaseServers();
    const tarn::test::ServerAddress& address =
        kind == DesktopKind::PostgreSql ? servers.postgres : servers.mariadb;
    driver = kind == DesktopKind::PostgreSql ? "PostgreSQL Unicode" : "MariaDB Unicode";
    server = address.ServerBox();
    user = address.user;
    password = address.password;
    database = FreshDatabaseName();
    CreateServerDatabase();
}

DesktopTarget::~DesktopTarget() {
    if (kind == DesktopKind::Sqlite) return;
    try {
        auto admin = odbc_.Connect(ConnectionString(""));
        admin->Execute(kind == DesktopKind::PostgreSql
                           ? "DROP DATABASE IF EXISTS " + database + " WITH (FORCE)"
                           : "DROP DATABASE IF EXISTS " + database);
    } catch (const std::exception&) {
        // The whole server goes with its folder at the end of the run.
    }
}

void DesktopTarget::CreateServerDatabase() {
    auto admin = odbc_.Connect(ConnectionString(""));
    admin->Execute(kind == DesktopKind::PostgreSql
                       ? "CREATE DATABASE " + database + " ENCODING 'UTF8'"
                       : "CREATE DATABASE " + database + " CHARACTER SET utf8mb4");
}

std::string DesktopTarget::ConnectionString(const std::string& databaseName) const {
    if (kind == DesktopKind::Sqlite) return "DRIVER={SQLite3};Database=" + databaseName + ";";
    // The maintenance database on PostgreSQL; none at all on MariaDB.
    std::string name = databaseName;
    if (name.empty() && kind == DesktopKind::PostgreSql) name = "postgres";
    return "DRIVER={" + driver + "};Server=" + server + ";" +
           (name.empty() ? "" : "Database=" + name + ";") + "UID=" + user + ";PWD=" + password +
           ";";
}

std::unique_ptr<platform::odbc::Connection> DesktopTarget::Connect() {
    auto connection = odbc_.Connect(ConnectionString(database));
    if (kind == DesktopKind::MariaDb) connection->Execute(kKeepBackslashes);
    return connection;
}

std::string DesktopTarget::Quote(const std::string& name) const {
    if (kind == DesktopKind::MariaDb) return "`" + name + "`";
    return "\"" + name + "\"";
}

}  // namespace tarn::conduit::test
