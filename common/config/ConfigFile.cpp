#include "common/config/ConfigFile.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "text/Windows1252.h"
#include "platform/files/AtomicFile.h"

namespace tarn {
namespace {

class EncodeError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ByteWriter {
  public:
    explicit ByteWriter(std::string& out) : out_(out) {}

    void Int16(int16_t value) {
        auto v = static_cast<uint16_t>(value);
        out_ += static_cast<char>(v & 0xFF);
        out_ += static_cast<char>(v >> 8);
    }
    void Flag16(bool value) { Int16(value ? -1 : 0); }
    void String(std::string_view utf8) {
        std::string ansi = text::ToAnsi(utf8);
        if (ansi.size() > std::numeric_limits<uint16_t>::max())
            throw EncodeError("a text of " + std::to_string(ansi.size()) +
                              " bytes does not fit in a description file");
        auto n = static_cast<uint16_t>(ansi.size());
        out_ += static_cast<char>(n & 0xFF);
        out_ += static_cast<char>(n >> 8);
        out_ += ansi;
    }

  private:
    std::string& out_;
};

// Reads the file's members in order. Past the end of the bytes everything reads as zero or
// empty, as the format promises for short files.
class ByteReader {
  public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    int16_t Int16() {
        uint16_t lo = Byte(), hi = Byte();
        return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
    }
    bool Flag16() { return Int16() != 0; }
    std::string String() {
        auto n = static_cast<uint16_t>(Int16());
        size_t available = std::min<size_t>(n, bytes_.size() - pos_);
        std::string_view ansi = bytes_.substr(pos_, available);
        pos_ += available;
        return text::FromAnsi(ansi);
    }

  private:
    uint16_t Byte() {
        return pos_ < bytes_.size() ? static_cast<unsigned char>(bytes_[pos_++]) : 0;
    }

    std::string_view bytes_;
    size_t pos_ = 0;
};

void WriteSettings(ByteWriter& w, const ConduitSettings& s) {
    w.Flag16(s.IsConfigFile);
    w.Int16(s.FormatVersion);
    w.String(s.CompanyName);
    w.String(s.ConduitTitle);
    w.String(s.CreatorID);
    w.String(s.ConduitShortName);
    w.String(s.InstallationPath);
    w.Int16(s.TableCount);
    w.Int16(s.AllowModifyDatabase);
    w.String(s.DBDriver);
    w.String(s.DBServer);
    w.String(s.DBDatabase);
    w.String(s.DBUsername);
    w.String(s.DBPassword);
    w.String(s.DBAppend);
    w.String(s.Reserved1);
    w.String(s.Reserved2);
    w.String(s.Version);
    w.String(s.SignaturePath);
    w.String(s.PreSyncExecution);
    w.String(s.PostSyncExecution);
    w.String(s.FilterDatabase);
    w.String(s.Reserved3);
    w.String(s.Reserved4);
    w.String(s.Reserved5);
}

void ReadSettings(ByteReader& r, ConduitSettings& s) {
    s.IsConfigFile = r.Flag16();
    s.FormatVersion = r.Int16();
    s.CompanyName = r.String();
    s.ConduitTitle = r.String();
    s.CreatorID = r.String();
    s.ConduitShortName = r.String();
    s.InstallationPath = r.String();
    s.TableCount = r.Int16();
    s.AllowModifyDatabase = r.Int16();
    s.DBDriver = r.String();
    s.DBServer = r.String();
    s.DBDatabase = r.String();
    s.DBUsername = r.String();
    s.DBPassword = r.String();
    s.DBAppend = r.String();
    s.Reserved1 = r.String();
    s.Reserved2 = r.String();
    s.Version = r.String();
    s.SignaturePath = r.String();
    s.PreSyncExecution = r.String();
    s.PostSyncExecution = r.String();
    s.FilterDatabase = r.String();
    s.Reserved3 = r.String();
    s.Reserved4 = r.String();
    s.Reserved5 = r.String();
}

int16_t CheckedCount(int32_t count, const char* what) {
    if (count > std::numeric_limits<int16_t>::max())
        throw EncodeError(std::string("too many ") + what + " (" + std::to_string(count) +
                          ") for a description file");
    return static_cast<int16_t>(count);
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

bool EncodeConfig(const ConduitSettings& settings, const colTables& tables, std::string& bytes,
                  std::string* error) {
    try {
        std::string out;
        ByteWriter w(out);
        WriteSettings(w, settings);
        for (const auto& table : tables) {
            w.String(table->DesktopTableName);
            w.String(table->PalmDatabaseName);
            w.Int16(table->SyncMethod);
            w.Flag16(table->PurgeBeforeSync);
            w.String("");
            w.String("");
            w.Int16(CheckedCount(table->Fields().Count(), "fields"));
            for (const auto& field : table->Fields()) {
                w.String(field->FieldName);
                w.Int16(field->DataType);
                w.String(field->Filter);
            }
        }
        bytes = std::move(out);
        return true;
    } catch (const EncodeError& e) {
        SetError(error, e.what());
        return false;
    }
}

bool WriteConfigFile(const std::string& path, const ConduitSettings& settings,
                     const colTables& tables, std::string* error) {
    if (path.empty()) {
        SetError(error, "no file name was given");
        return false;
    }
    std::string bytes;
    if (!EncodeConfig(settings, tables, bytes, error)) return false;
    // The file holds the connection password, scrambled but not encrypted.
    return platform::WriteFileAtomically(path, bytes, error, platform::FileAccess::OwnerOnly);
}

namespace {

bool DecodeConfig(const std::string& bytes, ConduitSettings& settings, colTables& tables,
                  std::string* error) {
    ByteReader r(bytes);
    settings = ConduitSettings{};
    ReadSettings(r, settings);
    tables = colTables{};
    try {
        for (int16_t t = 0; t < settings.TableCount; ++t) {
            TableRecord record;
            record.DesktopTableName = r.String();
            record.PalmDatabaseName = r.String();
            record.SyncMethod = r.Int16();
            record.PurgeBeforeSync = r.Flag16();
            record.Reserved1 = r.String();
            record.Reserved2 = r.String();
            record.FieldCount = r.Int16();
            auto table = tables.Add(record.DesktopTableName, record.PalmDatabaseName,
                                    record.SyncMethod, record.PurgeBeforeSync);
            for (int16_t f = 0; f < record.FieldCount; ++f) {
                FieldRecord field;
                field.FieldName = r.String();
                field.DataType = r.Int16();
                field.Filter = r.String();
                table->Fields().Add(field.FieldName, field.DataType, field.Filter);
            }
        }
    } catch (const CollectionError& e) {
        SetError(error, e.what());
        return false;
    }
    return true;
}

}  // namespace

bool ReadConfigFile(const std::string& path, ConduitSettings& settings, colTables& tables,
                    std::string* error) {
    std::string bytes;
    if (!platform::ReadFileOrNothing(path, bytes, error)) return false;
    return DecodeConfig(bytes, settings, tables, error);
}

bool ReadExistingConfigFile(const std::string& path, ConduitSettings& settings, colTables& tables,
                            std::string* error) {
    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes, error)) return false;
    return DecodeConfig(bytes, settings, tables, error);
}

bool ReadSettingsFile(const std::string& path, ConduitSettings& settings, std::string* error) {
    std::string bytes;
    if (!platform::ReadFileOrNothing(path, bytes, error)) return false;
    ByteReader r(bytes);
    settings = ConduitSettings{};
    ReadSettings(r, settings);
    return true;
}

}  // namespace tarn
