#include "builder/DesktopDatabase.h"

#include <exception>
#include <memory>

#include "common/connection/ConnectionTest.h"
#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace tarn::builder {
namespace {

struct Held {
    // Declared first so that it is released last: the connection needs it.
    std::unique_ptr<platform::odbc::Environment> environment;
    std::unique_ptr<platform::odbc::Connection> connection;
};

Held& held() {
    static Held instance;
    return instance;
}

}  // namespace

bool ConnectDesktopDatabase(const ConnectionSettings& settings) {
    DisconnectDesktopDatabase();
    std::string connectionString = BuildConnectionString(settings, false);
    if (!TestDatabaseConnection(connectionString)) return false;
    try {
        if (!held().environment) held().environment = platform::odbc::OpenOdbcEnvironment();
        held().connection = held().environment->connect(connectionString);
    } catch (const std::exception&) {
        held().connection.reset();
        return false;
    }
    return held().connection != nullptr;
}

platform::odbc::Connection* DesktopDatabase() {
    return held().connection.get();
}

void DisconnectDesktopDatabase() {
    held().connection.reset();
    ReleaseTestedConnection();
}

bool DeletedRecordsTableWorks(const std::string& table) {
    platform::odbc::Connection* db = DesktopDatabase();
    if (!db) return false;
    try {
        auto rows = db->openResultSet("SELECT count(RecordID) as RecCount FROM " + table,
                                      platform::odbc::CursorKind::ForwardOnly);
        return rows != nullptr;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace tarn::builder
