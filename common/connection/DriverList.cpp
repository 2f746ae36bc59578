#include "common/connection/DriverList.h"

#include <algorithm>
#include <exception>

#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace tarn {
namespace {

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

std::vector<std::string> DriverListEntries(const std::vector<std::string>& installedDrivers) {
    std::vector<std::string> entries = {kNoDriver};
    for (const std::string& driver : installedDrivers) {
        if (IsBlank(driver)) continue;
        if (driver.find("*.txt") != std::string::npos || driver.find("*.xls") != std::string::npos)
            continue;
        entries.push_back(driver);
    }
    return entries;
}

std::vector<std::string> DriverListEntries(platform::odbc::Environment& environment) {
    try {
        return DriverListEntries(environment.ListDrivers());
    } catch (const std::exception&) {
        return DriverListEntries(std::vector<std::string>{});
    }
}

std::vector<std::string> InstalledDriverListEntries() {
    std::unique_ptr<platform::odbc::Environment> environment;
    try {
        environment = platform::odbc::OpenOdbcEnvironment();
    } catch (const std::exception&) {
        return DriverListEntries(std::vector<std::string>{});
    }
    return DriverListEntries(*environment);
}

}  // namespace tarn
