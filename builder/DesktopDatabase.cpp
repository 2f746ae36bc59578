#include "builder/DesktopDatabase.h"

#include <exception>

#include "common/connection/ConnectionTest.h"
#include "platform/odbc/Database.h"

namespace tarn::builder {

bool ConnectDesktopDatabase(const ConnectionSettings& settings) {
    return TestConnectionSettings(settings);
}

platform::odbc::Connection* DesktopDatabase() {
    return TestedConnection();
}

void DisconnectDesktopDatabase() {
    ReleaseTestedConnection();
}

bool DeletedRecordsTableWorks(const std::string& table) {
    platform::odbc::Connection* db = DesktopDatabase();
    if (!db) return false;
    try {
        auto rows = db->OpenResultSet("SELECT count(RecordID) as RecCount FROM " + table,
                                      platform::odbc::CursorKind::ForwardOnly);
        return rows != nullptr;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace tarn::builder
