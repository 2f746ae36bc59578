#pragma once

#include <string>
#include <vector>

namespace tarn::platform::odbc {
class Environment;
}

namespace tarn {

// The entry that stands for "no driver chosen"; always first in the driver list.
inline constexpr char kNoDriver[] = "(None)";

// The driver list the connection dialogs offer, from the driver descriptions the driver manager
// returned: "(None)" first, then each description in order, leaving out blank ones and the
// text-file and spreadsheet drivers (names containing "*.txt" or "*.xls", case-sensitive).
std::vector<std::string> DriverListEntries(const std::vector<std::string>& installedDrivers);

// The same from a driver manager. A driver manager that fails to list leaves only "(None)".
std::vector<std::string> DriverListEntries(platform::odbc::Environment& environment);

// The same from the machine's own driver manager; "(None)" alone when it cannot be opened.
std::vector<std::string> InstalledDriverListEntries();

}  // namespace tarn
