#include "builder/Verification.h"

namespace tarn::builder {
namespace {

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void Fail(Verification& result, std::string message, VerifiedBox box) {
    result.message = std::move(message);
    result.box = box;
}

}  // namespace

size_t CharacterCount(const std::string& utf8) {
    size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

Verification VerifyConduit(const ConduitForm& form, const colTables& tables) {
    Verification result;
    for (const auto& table : tables) {
        if (table->Fields().Count() == 0)
            Fail(result, "No fields are defined for the table " + table->DesktopTableName,
                 VerifiedBox::None);
        if (table->PalmDatabaseName.empty())
            Fail(result,
                 "A palm database name is required for the table " + table->DesktopTableName,
                 VerifiedBox::None);
    }
    if (Trimmed(form.InstallationPath).empty())
        Fail(result, "A default installation path is required", VerifiedBox::InstallationPath);
    if (Trimmed(form.Version).empty())
        Fail(result, "A version number for your conduit is required", VerifiedBox::Version);
    if (CharacterCount(Trimmed(form.CreatorID)) != 4)
        Fail(result, "A unique 4 character Creator ID is required", VerifiedBox::CreatorID);
    if (Trimmed(form.ConduitShortName).empty())
        Fail(result, "Conduit name is required", VerifiedBox::ConduitShortName);
    if (Trimmed(form.ConduitTitle).empty())
        Fail(result, "A conduit title is required", VerifiedBox::ConduitTitle);
    if (Trimmed(form.CompanyName).empty())
        Fail(result, "A company name is required", VerifiedBox::CompanyName);
    return result;
}

CompileMenuState CompileMenuFor(const std::string& creatorIdText,
                                const std::function<bool(const std::string&)>& isRegistered) {
    CompileMenuState state;
    if (CharacterCount(creatorIdText) != 4) return state;
    state.createInstallation = true;
    if (isRegistered(creatorIdText))
        state.remove = true;
    else
        state.install = true;
    return state;
}

}  // namespace tarn::builder
