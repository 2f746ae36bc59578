#include "common/connection/ConnectionString.h"

#include <algorithm>
#include <cctype>

namespace tarn {

std::string BuildConnectionString(std::string_view driver, std::string_view server,
                                  std::string_view database, std::string_view username,
                                  std::string_view password, std::string_view append, bool mask) {
    const ServerValue serverValue = ServerConnectionValue(driver, server);
    std::string text = "DRIVER=" + BraceConnectionValue(driver);
    if (serverValue.asServer) text.append(";SERVER=").append(serverValue.value);
    if (serverValue.asFile) text.append(";DBQ=").append(serverValue.value);
    if (!database.empty()) {
        const std::string databaseValue = QuoteConnectionValue(database);
        text.append(";database=").append(databaseValue).append(";DB=").append(databaseValue);
    }
    if (!username.empty()) text.append(";UID=").append(QuoteConnectionValue(username));
    if (!password.empty()) {
        // Always six characters, so the preview does not give away the password's length.
        text.append(";PWD=");
        if (mask)
            text.append("XXXXXX");
        else
            text.append(QuoteConnectionValue(password));
    }
    if (!append.empty()) text.append(";").append(append);
    return text;
}

std::string BuildConnectionString(const ConnectionSettings& settings, bool mask) {
    return BuildConnectionString(settings.Driver, settings.Server, settings.Database,
                                 settings.Username, settings.Password, settings.Append, mask);
}

std::string DriverFilePattern(std::string_view driver) {
    std::size_t star = driver.find('*');
    if (star == std::string_view::npos) return {};
    return std::string(driver.substr(star, 5));
}

namespace {

constexpr char kAllFilesFilter[] = " | All Files | *";

}  // namespace

bool DriverOpensDatabaseFile(std::string_view driver) {
    constexpr std::string_view kSqlite = "sqlite";
    if (driver.size() < kSqlite.size()) return false;
    return std::equal(kSqlite.begin(), kSqlite.end(), driver.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

std::string ServerFileFilter(std::string_view driver) {
    return std::string(driver) + " | " + DriverFilePattern(driver) + kAllFilesFilter;
}

std::string DatabaseFileFilter() {
    return std::string(
               "Database Files (*.db;*.sqlite;*.sqlite3;*.db3) | "
               "*.db;*.sqlite;*.sqlite3;*.db3") +
           kAllFilesFilter;
}

}  // namespace tarn
