#pragma once

#include <string>

#include "conduit/sync/testing/DesktopTarget.h"

namespace tarn::conduit::test {

// A password holding every character a connection string reads specially.
inline constexpr char kAwkwardPassword[] = "se;cr}et=1{x";

// Creates an account on a server target's server with the given password, allowed to read
// and write `table` of the target's database, and returns its name (unique on the shared
// server, as the database's name is).
std::string CreateServerAccount(DesktopTarget& target, const std::string& password,
                                const std::string& table);

}  // namespace tarn::conduit::test
