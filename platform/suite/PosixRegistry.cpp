#include "platform/suite/PosixRegistry.h"

#include <charconv>
#include <cstdio>

#include "text/Windows1252.h"
#include "platform/suite/TarnHome.h"

namespace tarn::platform {
namespace {

constexpr std::uint32_t kWriteAccess = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink;

std::string HexBytes(std::string_view data) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        auto byte = static_cast<unsigned char>(data[i]);
        if (i) out += ',';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
    std::string out;
    if (text.empty()) return out;
    size_t pos = 0;
    for (;;) {
        unsigned value = 0;
        auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value, 16);
        size_t used = static_cast<size_t>(end - (text.data() + pos));
        if (ec != std::errc() || used == 0 || used > 2) return std::nullopt;
        out += static_cast<char>(value);
        pos += used;
        if (pos == text.size()) return out;
        if (text[pos] != ',') return std::nullopt;
        ++pos;
    }
}

std::string EncodeValue(std::uint32_t type, std::string_view data) {
    if (type == kRegSz && !data.empty() && data.back() == '\0' &&
        data.find('\0') == data.size() - 1)
        return QuoteText(data.substr(0, data.size() - 1));
    if (type == kRegDword && data.size() == 4) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", DwordFromBytes(data));
        return std::string("dword:") + digits;
    }
    if (type == kRegBinary) return "hex:" + HexBytes(data);
    return "hex(" + std::to_string(type) + "):" + HexBytes(data);
}

bool DecodeValue(std::string_view raw, std::uint32_t& type, std::string& data) {
    if (!raw.empty() && raw.front() == '"') {
        std::optional<std::string> text = UnquoteText(raw);
        if (!text) return false;
        type = kRegSz;
        data = *text + '\0';
        return true;
    }
    if (raw.starts_with("dword:")) {
        std::string_view digits = raw.substr(6);
        std::uint32_t value = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || end != digits.data() + digits.size() || digits.size() != 8)
            return false;
        type = kRegDword;
        data = DwordBytes(value);
        return true;
    }
    std::string_view bytes;
    if (raw.starts_with("hex:")) {
        type = kRegBinary;
        bytes = raw.substr(4);
    } else if (raw.starts_with("hex(")) {
        size_t close = raw.find("):");
        if (close == std::string_view::npos) return false;
        std::string_view number = raw.substr(4, close - 4);
        auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), type);
        if (ec != std::errc() || end != number.data() + number.size()) return false;
        bytes = raw.substr(close + 2);
    } else {
        return false;
    }
    std::optional<std::string> decoded = ParseHexBytes(bytes);
    if (!decoded) return false;
    data = std::move(*decoded);
    return true;
}

bool KeyExists(const IniDocument& document, const std::string& path) {
    std::string folded = text::FoldCase(path);
    std::string prefix = folded + '\\';
    for (const auto& section : document.sections) {
        std::string name = text::FoldCase(section.name);
        if (name == folded || name.starts_with(prefix)) return true;
    }
    return false;
}

RegistryStatus StatusOf(StoreStatus status) {
    switch (status) {
        case StoreStatus::kOk:
            return kRegSuccess;
        case StoreStatus::kCorrupt:
            return kRegCorrupt;
        case StoreStatus::kUnwritable:
            return kRegAccessDenied;
    }
    return kRegCorrupt;
}

}  // namespace

PosixRegistry::PosixRegistry() : PosixRegistry(TarnHome() / "registry.ini") {}

PosixRegistry::PosixRegistry(std::filesystem::path file) : store_(std::move(file)) {}

RegistryStatus PosixRegistry::Resolve(RegistryHandle key, std::uint32_t neededAccess,
                                      OpenedKey& opened) {
    std::string root = RootKeyName(key);
    if (!root.empty()) {
        opened = {root, ~0u};
    } else {
        std::lock_guard lock(mutex_);
        auto it = openKeys_.find(key);
        if (it == openKeys_.end()) return kRegInvalidHandle;
        opened = it->second;
    }
    if ((opened.access & neededAccess) != neededAccess) return kRegAccessDenied;
    return kRegSuccess;
}

RegistryStatus PosixRegistry::OpenOrCreate(RegistryHandle parent, std::string_view subKey,
                                           std::uint32_t access, bool create, RegistryHandle& key) {
    OpenedKey base;
    if (RegistryStatus status = Resolve(parent, 0, base); status != kRegSuccess) return status;
    std::string path = base.path;
    size_t start = 0;
    while (start <= subKey.size()) {
        size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos) end = subKey.size();
        std::string_view part = subKey.substr(start, end - start);
        if (!part.empty()) path += '\\' + std::string(part);
        start = end + 1;
    }
    if (!IsValidSectionName(path)) return kRegInvalidParameter;

    if ((access & kWriteAccess) && !store_.Writable()) return kRegAccessDenied;
    IniDocument document;
    if (RegistryStatus status = StatusOf(store_.Read(document)); status != kRegSuccess)
        return status;
    if (!KeyExists(document, path)) {
        if (!create) return kRegNotFound;
        if (!store_.Writable()) return kRegAccessDenied;
        StoreStatus written = store_.Update([&](IniDocument& current) {
            if (KeyExists(current, path)) return false;
            current.FindOrAdd(path);
            return true;
        });
        if (RegistryStatus status = StatusOf(written); status != kRegSuccess) return status;
    }
    std::lock_guard lock(mutex_);
    key = nextHandle_;
    nextHandle_ += 4;
    openKeys_[key] = {path, access};
    return kRegSuccess;
}

RegistryStatus PosixRegistry::CreateKey(RegistryHandle parent, std::string_view subKey,
                                        std::uint32_t /*options*/, std::uint32_t access,
                                        RegistryHandle& key) {
    return OpenOrCreate(parent, subKey, access, true, key);
}

RegistryStatus PosixRegistry::OpenKey(RegistryHandle parent, std::string_view subKey,
                                      std::uint32_t access, RegistryHandle& key) {
    return OpenOrCreate(parent, subKey, access, false, key);
}

RegistryStatus PosixRegistry::ReadValue(RegistryHandle key, std::string_view name,
                                        std::uint32_t& type, std::string& data) {
    OpenedKey opened;
    if (RegistryStatus status = Resolve(key, kKeyQueryValue, opened); status != kRegSuccess)
        return status;
    IniDocument document;
    if (RegistryStatus status = StatusOf(store_.Read(document)); status != kRegSuccess)
        return status;
    const IniSection* section = document.Find(opened.path);
    const std::string* raw = section ? section->Find(name) : nullptr;
    if (!raw) return kRegNotFound;
    if (!DecodeValue(*raw, type, data)) return kRegCorrupt;
    return kRegSuccess;
}

RegistryStatus PosixRegistry::SetValue(RegistryHandle key, std::string_view name,
                                       std::uint32_t type, std::string_view data) {
    OpenedKey opened;
    if (RegistryStatus status = Resolve(key, kKeySetValue, opened); status != kRegSuccess)
        return status;
    std::string raw = EncodeValue(type, data);
    return StatusOf(store_.Update([&](IniDocument& document) {
        document.FindOrAdd(opened.path).Set(name, raw);
        return true;
    }));
}

RegistryStatus PosixRegistry::DeleteValue(RegistryHandle key, std::string_view name) {
    OpenedKey opened;
    if (RegistryStatus status = Resolve(key, kKeySetValue, opened); status != kRegSuccess)
        return status;
    bool found = false;
    RegistryStatus status = StatusOf(store_.Update([&](IniDocument& document) {
        IniSection* section = document.Find(opened.path);
        found = section && section->Remove(name);
        return found;
    }));
    if (status != kRegSuccess) return status;
    return found ? kRegSuccess : kRegNotFound;
}

RegistryStatus PosixRegistry::CloseKey(RegistryHandle key) {
    if (!RootKeyName(key).empty()) return kRegSuccess;
    std::lock_guard lock(mutex_);
    return openKeys_.erase(key) ? kRegSuccess : kRegInvalidHandle;
}

}  // namespace tarn::platform
