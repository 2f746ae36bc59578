#pragma once

#include <functional>
#include <string>

#include "builder/ConduitForm.h"
#include "common/model/clsTable.h"

namespace tarn::builder {

// The conduit-wide boxes the checks can point the user at.
enum class VerifiedBox {
    None,
    InstallationPath,
    Version,
    CreatorID,
    ConduitShortName,
    ConduitTitle,
    CompanyName,
};

struct Verification {
    std::string message;  // empty: the conduit looks valid
    VerifiedBox box = VerifiedBox::None;
    bool valid() const { return message.empty(); }
};

// Runs every check; each failure replaces the one before, so the result is the last failing
// check: the tables in order, then the conduit-wide boxes (trimmed) from the installation path
// to the company name. Only the Creator ID's length is tested.
Verification VerifyConduit(const ConduitForm& form, const colTables& tables);

// What the Compile menu offers. Verify is always on; the rest need a Creator ID of exactly four
// characters as typed (untrimmed), and then Install or Remove as the HotSync manager knows it.
struct CompileMenuState {
    bool verify = true;
    bool install = false;
    bool remove = false;
    bool createInstallation = false;
};
CompileMenuState CompileMenuFor(const std::string& creatorIdText,
                                const std::function<bool(const std::string&)>& isRegistered);

// Number of characters (not bytes) of UTF-8 text.
size_t CharacterCount(const std::string& utf8);

}  // namespace tarn::builder
