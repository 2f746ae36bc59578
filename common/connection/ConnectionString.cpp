#include "common/connection/ConnectionString.h"

namespace tarn {

std::string BuildConnectionString(std::string_view driver, std::string_view server,
                                  std::string_view database, std::string_view username,
                                  std::string_view password, std::string_view append, bool mask) {
    std::string text = "DRIVER={";
    text.append(driver).append("};SERVER=").append(server).append(";DBQ=").append(server);
    if (!database.empty())
        text.append(";database=").append(database).append(";DB=").append(database);
    if (!username.empty()) text.append(";UID=").append(username);
    if (!password.empty()) {
        // Always six characters, so the preview does not give away the password's length.
        text.append(";PWD=");
        if (mask)
            text.append("XXXXXX");
        else
            text.append(password);
    }
    if (!append.empty()) text.append(";").append(append);
    return text;
}

std::string BuildConnectionString(const ConnectionSettings& settings, bool mask) {
    return BuildConnectionString(settings.Driver, settings.Server, settings.Database,
                                 settings.Username, settings.Password, settings.Append, mask);
}

bool IsFileBasedDriver(std::string_view driver) {
    return driver.find("*.") != std::string_view::npos;
}

std::string DriverFilePattern(std::string_view driver) {
    std::size_t star = driver.find('*');
    if (star == std::string_view::npos) return {};
    return std::string(driver.substr(star, 5));
}

}  // namespace tarn
