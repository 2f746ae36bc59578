#include "common/connection/ConnectionTest.h"

#include <exception>
#include <memory>

#include "common/connection/ConnectionValue.h"
#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/ui/MouseIcon.h"

namespace tarn {
namespace {

struct HeldConnection {
    // Declared first so that it is destroyed last: connections share it.
    std::unique_ptr<platform::odbc::Environment> ownEnvironment;
    std::unique_ptr<platform::odbc::Connection> connection;
    std::string lastError;
};

HeldConnection& Held() {
    static HeldConnection held;
    return held;
}

}  // namespace

bool TestDatabaseConnection(platform::odbc::Environment& environment,
                            const std::string& connectionString) {
    platform::ui::MouseIcon busy;
    busy.set_cMouseIcon(platform::ui::kHourglassPointer);

    HeldConnection& held = Held();
    held.connection.reset();
    held.lastError.clear();
    platform::odbc::ConnectAttempt attempt =
        platform::odbc::TryConnect(environment, connectionString);
    if (!attempt) {
        held.lastError = attempt.errorText.empty() ? "Unknown error" : attempt.errorText;
        return false;
    }
    held.connection = std::move(attempt.connection);
    return true;
}

bool TestDatabaseConnection(const std::string& connectionString) {
    platform::ui::MouseIcon busy(platform::ui::kHourglassPointer);
    HeldConnection& held = Held();
    held.connection.reset();
    try {
        // A fresh driver manager each time, so drivers installed meanwhile are found.
        held.ownEnvironment = platform::odbc::OpenOdbcEnvironment();
    } catch (const std::exception& error) {
        held.ownEnvironment.reset();
        held.lastError = error.what();
        return false;
    }
    return TestDatabaseConnection(*held.ownEnvironment, connectionString);
}

namespace {

bool RefuseMissingDriver(const ConnectionSettings& settings) {
    if (!NamesNoDriver(settings.Driver)) return false;
    HeldConnection& held = Held();
    held.connection.reset();
    held.lastError = kNoDriverSelected;
    return true;
}

}  // namespace

bool TestConnectionSettings(const ConnectionSettings& settings) {
    if (RefuseMissingDriver(settings)) return false;
    return TestDatabaseConnection(BuildConnectionString(settings, false));
}

bool TestConnectionSettings(platform::odbc::Environment& environment,
                            const ConnectionSettings& settings) {
    if (RefuseMissingDriver(settings)) return false;
    return TestDatabaseConnection(environment, BuildConnectionString(settings, false));
}

std::string LastConnectionTestError() {
    return Held().lastError;
}

bool HoldsTestedConnection() {
    return Held().connection != nullptr;
}

platform::odbc::Connection* TestedConnection() {
    return Held().connection.get();
}

void ReleaseTestedConnection() {
    Held().connection.reset();
}

}  // namespace tarn
