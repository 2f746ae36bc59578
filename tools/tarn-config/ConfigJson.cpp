#include "tools/tarn-config/ConfigJson.h"

#include <limits>
#include <stdexcept>

#include "common/config/Scramble.h"
#include "common/model/CollectionErrors.h"

namespace tarn::tools {
namespace {

using Json = nlohmann::json;

// Members of the settings record that are shown as text, with whether the file scrambles them.
struct TextMember {
    const char* key;
    std::string ConduitSettings::*member;
    bool scrambled;
};

constexpr TextMember kTextMembers[] = {
    {"CompanyName", &ConduitSettings::CompanyName, true},
    {"ConduitTitle", &ConduitSettings::ConduitTitle, true},
    {"CreatorID", &ConduitSettings::CreatorID, true},
    {"ConduitShortName", &ConduitSettings::ConduitShortName, true},
    {"InstallationPath", &ConduitSettings::InstallationPath, true},
    {"DBDriver", &ConduitSettings::DBDriver, true},
    {"DBServer", &ConduitSettings::DBServer, true},
    {"DBDatabase", &ConduitSettings::DBDatabase, true},
    {"DBUsername", &ConduitSettings::DBUsername, true},
    {"DBPassword", &ConduitSettings::DBPassword, true},
    {"DBAppend", &ConduitSettings::DBAppend, true},
    {"Version", &ConduitSettings::Version, false},
    {"SignaturePath", &ConduitSettings::SignaturePath, true},
    {"PreSyncExecution", &ConduitSettings::PreSyncExecution, true},
    {"PostSyncExecution", &ConduitSettings::PostSyncExecution, true},
    {"FilterDatabase", &ConduitSettings::FilterDatabase, true},
};

class JsonError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string TextOf(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return {};
    if (!it->is_string()) throw JsonError(std::string("\"") + key + "\" must be a text");
    return it->get<std::string>();
}

int16_t NumberOf(const Json& object, const char* key, int16_t missing = 0) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return missing;
    if (!it->is_number_integer())
        throw JsonError(std::string("\"") + key + "\" must be a whole number");
    auto value = it->get<long long>();
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw JsonError(std::string("\"") + key + "\" is out of range: " + std::to_string(value));
    return static_cast<int16_t>(value);
}

bool FlagOf(const Json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return false;
    if (!it->is_boolean()) throw JsonError(std::string("\"") + key + "\" must be true or false");
    return it->get<bool>();
}

const Json& ListOf(const Json& object, const char* key) {
    static const Json kEmpty = Json::array();
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) return kEmpty;
    if (!it->is_array()) throw JsonError(std::string("\"") + key + "\" must be a list");
    return *it;
}

}  // namespace

nlohmann::ordered_json DescriptionToJson(const ConduitSettings& s, const colTables& tables) {
    nlohmann::ordered_json json;
    json["IsConfigFile"] = s.IsConfigFile;
    json["FormatVersion"] = s.FormatVersion;
    for (const auto& m : kTextMembers) {
        const std::string& value = s.*m.member;
        json[m.key] = m.scrambled ? DescrambleString(value) : value;
        if (std::string_view(m.key) == "InstallationPath")
            json["AllowModifyDatabase"] = s.AllowModifyDatabase;
    }
    json["Tables"] = nlohmann::ordered_json::array();
    for (const auto& table : tables) {
        nlohmann::ordered_json t;
        t["DesktopTableName"] = table->DesktopTableName;
        t["PalmDatabaseName"] = table->PalmDatabaseName;
        t["SyncMethod"] = table->SyncMethod;
        t["PurgeBeforeSync"] = table->PurgeBeforeSync;
        t["Fields"] = nlohmann::ordered_json::array();
        for (const auto& field : table->Fields()) {
            t["Fields"].push_back({{"FieldName", field->FieldName},
                                   {"DataType", field->DataType},
                                   {"Filter", field->Filter}});
        }
        json["Tables"].push_back(std::move(t));
    }
    return json;
}

bool DescriptionFromJson(const Json& json, ConduitSettings& settings, colTables& tables,
                         std::string& error) {
    try {
        if (!json.is_object()) throw JsonError("the description must be one JSON object");
        ConduitSettings s;
        colTables t;
        s.IsConfigFile = FlagOf(json, "IsConfigFile");
        s.FormatVersion = NumberOf(json, "FormatVersion", kCurrentFormatVersion);
        s.AllowModifyDatabase = NumberOf(json, "AllowModifyDatabase");
        for (const auto& m : kTextMembers) {
            std::string value = TextOf(json, m.key);
            s.*m.member = m.scrambled ? ScrambleString(value) : value;
        }
        for (const Json& tableJson : ListOf(json, "Tables")) {
            if (!tableJson.is_object()) throw JsonError("each table must be a JSON object");
            auto table =
                t.Add(TextOf(tableJson, "DesktopTableName"), TextOf(tableJson, "PalmDatabaseName"),
                      NumberOf(tableJson, "SyncMethod"), FlagOf(tableJson, "PurgeBeforeSync"));
            for (const Json& fieldJson : ListOf(tableJson, "Fields")) {
                if (!fieldJson.is_object()) throw JsonError("each field must be a JSON object");
                table->Fields().Add(TextOf(fieldJson, "FieldName"), NumberOf(fieldJson, "DataType"),
                                    TextOf(fieldJson, "Filter"));
            }
        }
        if (t.Count() > std::numeric_limits<int16_t>::max())
            throw JsonError("too many tables for a description file");
        s.TableCount = static_cast<int16_t>(t.Count());
        settings = std::move(s);
        tables = std::move(t);
        return true;
    } catch (const JsonError& e) {
        error = e.what();
    } catch (const CollectionError& e) {
        error = std::string("repeated name: ") + e.what();
    }
    return false;
}

}  // namespace tarn::tools
