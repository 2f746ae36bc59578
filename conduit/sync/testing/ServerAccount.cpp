#include "conduit/sync/testing/ServerAccount.h"

#include <stdexcept>

namespace tarn::conduit::test {

std::string CreateServerAccount(DesktopTarget& target, const std::string& password,
                                const std::string& table) {
    if (password.find('\'') != std::string::npos || password.find('\\') != std::string::npos)
        throw std::invalid_argument("the password is written into SQL as it stands");
    const std::string user = "u_" + target.database;
    auto admin = target.Connect();
    switch (target.kind) {
        case DesktopKind::PostgreSql:
            admin->Execute("CREATE USER " + user + " WITH PASSWORD '" + password + "'");
            admin->Execute("GRANT ALL ON " + table + " TO " + user);
            break;
        case DesktopKind::MariaDb:
            admin->Execute("CREATE USER '" + user + "'@'%' IDENTIFIED BY '" + password + "'");
            admin->Execute("GRANT ALL ON " + target.database + ".* TO '" + user + "'@'%'");
            break;
        case DesktopKind::Sqlite:
            throw std::invalid_argument("SQLite has no accounts");
    }
    return user;
}

}  // namespace tarn::conduit::test
