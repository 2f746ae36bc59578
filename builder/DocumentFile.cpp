#include "builder/DocumentFile.h"

#include <filesystem>
#include <system_error>

#include "common/config/ConfigFile.h"
#include "platform/files/AtomicFile.h"

namespace tarn::builder {
namespace {

// Walks the layout of a description without decoding it: true when every number and every
// counted text the file announces is there in full.
class LayoutWalk {
  public:
    explicit LayoutWalk(const std::string& bytes) : bytes_(bytes) {}

    bool Number(int16_t* value = nullptr) {
        if (bytes_.size() - pos_ < 2) return false;
        auto lo = static_cast<unsigned char>(bytes_[pos_]);
        auto hi = static_cast<unsigned char>(bytes_[pos_ + 1]);
        pos_ += 2;
        if (value) *value = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
        return true;
    }
    bool Text() {
        int16_t length = 0;
        if (!Number(&length)) return false;
        size_t n = static_cast<uint16_t>(length);
        if (bytes_.size() - pos_ < n) return false;
        pos_ += n;
        return true;
    }
    bool Texts(int count) {
        for (int i = 0; i < count; ++i)
            if (!Text()) return false;
        return true;
    }

  private:
    const std::string& bytes_;
    size_t pos_ = 0;
};

bool LayoutIsComplete(const std::string& bytes) {
    LayoutWalk walk(bytes);
    int16_t tableCount = 0;
    // Flag, format version, five texts, table count, allow-modify flag, then 6 connection
    // texts, 2 reserved, version, 4 paths and programs, 3 reserved.
    if (!walk.Number() || !walk.Number() || !walk.Texts(5) || !walk.Number(&tableCount) ||
        !walk.Number() || !walk.Texts(16))
        return false;
    for (int16_t t = 0; t < tableCount; ++t) {
        int16_t fieldCount = 0;
        if (!walk.Texts(2) || !walk.Number() || !walk.Number() || !walk.Texts(2) ||
            !walk.Number(&fieldCount))
            return false;
        for (int16_t f = 0; f < fieldCount; ++f)
            if (!walk.Text() || !walk.Number() || !walk.Text()) return false;
    }
    return true;
}

}  // namespace

DocumentRead ReadDocument(const std::string& path, ConduitSettings& settings, colTables& tables) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return DocumentRead::Unreadable;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) return DocumentRead::Unreadable;
    if (!ReadConfigFile(path, settings, tables)) return DocumentRead::Unreadable;

    std::string bytes;
    if (!platform::ReadWholeFile(path, bytes) || bytes.size() != size || !LayoutIsComplete(bytes))
        return DocumentRead::Unreadable;
    if (settings.FormatVersion < 0 || settings.FormatVersion > kCurrentFormatVersion)
        return DocumentRead::Unreadable;
    return settings.IsConfigFile ? DocumentRead::Loaded : DocumentRead::DeploymentCopy;
}

}  // namespace tarn::builder
