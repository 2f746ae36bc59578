#include "platform/odbc/OdbcEnvironment.h"

#include <sqlext.h>
#include <sqlucode.h>

#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcDiagnostics.h"
#include "platform/odbc/Utf16.h"

namespace tarn::platform::odbc {

namespace {

class OdbcEnvironment final : public Environment {
  public:
    OdbcEnvironment() : environment_(std::make_shared<OdbcHandle>(SQL_HANDLE_ENV, nullptr)) {
        SQLHENV env = environment_->Get();
        Check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                            0),
              SQL_HANDLE_ENV, env);
    }

    std::vector<std::string> ListDrivers() override {
        std::vector<std::string> drivers;
        SQLWCHAR description[1024];
        SQLWCHAR attributes[4096];  // fetched because the call wants them; not used
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            SQLSMALLINT descriptionLength = 0, attributesLength = 0;
            SQLRETURN rc =
                SQLDriversW(environment_->Get(), direction, description,
                            SQLSMALLINT(std::size(description)), &descriptionLength, attributes,
                            SQLSMALLINT(std::size(attributes)), &attributesLength);
            if (rc != SQL_SUCCESS) break;
            drivers.push_back(ToUtf8FromBuffer(description, std::size(description)));
            direction = SQL_FETCH_NEXT;
        }
        return drivers;
    }

    std::unique_ptr<Connection> Connect(const std::string& connectionString) override {
        return std::make_unique<OdbcConnection>(environment_, connectionString);
    }

  private:
    std::shared_ptr<OdbcHandle> environment_;
};

}  // namespace

std::unique_ptr<Environment> OpenOdbcEnvironment() {
    return std::make_unique<OdbcEnvironment>();
}

}  // namespace tarn::platform::odbc
