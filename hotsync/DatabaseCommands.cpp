#include <cstdio>
#include <iostream>
#include <optional>

#include "hotsync/Commands.h"
#include "platform/Error.h"
#include "platform/palm/PosixHandheldFolder.h"

namespace tarn::hotsync {
namespace {

namespace palm = tarn::platform::palm;

// The options both commands share: `--handheld DIR` (or `--handheld=DIR`) and the rest in order.
struct HandheldArgs {
    std::string folder;
    Args positional;
};

std::optional<HandheldArgs> ParseHandheldArgs(const Args& args, const char* command) {
    HandheldArgs parsed;
    bool haveFolder = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--handheld") {
            if (i + 1 >= args.size()) {
                std::cerr << "hotsync " << command << ": --handheld needs a folder\n";
                return std::nullopt;
            }
            parsed.folder = args[++i];
            haveFolder = true;
        } else if (arg.rfind("--handheld=", 0) == 0) {
            parsed.folder = arg.substr(11);
            haveFolder = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "hotsync " << command << ": unknown option '" << arg << "'\n";
            return std::nullopt;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (!haveFolder || parsed.folder.empty()) {
        std::cerr << "hotsync " << command << ": --handheld DIR is required\n";
        return std::nullopt;
    }
    return parsed;
}

// Types and creators are meant to be four letters, but nothing stops a control byte; show those
// as escapes so one line stays one line.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 0x0F]);
    }
    return out;
}

std::string HexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFF);
    return text;
}

}  // namespace

int RunDatabases(const Args& args) {
    std::optional<HandheldArgs> parsed = ParseHandheldArgs(args, "databases");
    if (!parsed) return 2;
    if (!parsed->positional.empty()) {
        std::cerr << "hotsync databases: unexpected argument '" << parsed->positional[0] << "'\n";
        return 2;
    }
    palm::PosixHandheldFolder folder(parsed->folder);
    std::vector<palm::DatabaseListing> listings;
    try {
        listings = folder.ListDatabases();
    } catch (const platform::PlatformError& e) {
        std::cerr << "hotsync: " << e.description() << "\n";
        return 1;
    }
    for (const auto& entry : listings) {
        std::cout << Printable(entry.fileName) << ": ";
        if (!entry.readable()) {
            std::cout << "cannot be read: " << Printable(entry.error) << "\n";
            continue;
        }
        std::cout << "\"" << Printable(entry.name) << "\" type " << Printable(entry.type)
                  << " creator " << Printable(entry.creator) << ", ";
        if (entry.resource)
            std::cout << "resource database, " << entry.recordCount << " resources\n";
        else
            std::cout << entry.recordCount << " records\n";
    }
    if (listings.empty()) std::cerr << "hotsync: no databases in " << parsed->folder << "\n";
    return 0;
}

int RunDump(const Args& args) {
    std::optional<HandheldArgs> parsed = ParseHandheldArgs(args, "dump");
    if (!parsed) return 2;
    if (parsed->positional.size() != 1) {
        std::cerr << "hotsync dump: give exactly one database name\n";
        return 2;
    }
    palm::PosixHandheldFolder folder(parsed->folder);
    try {
        // Reading only: a dump never rewrites the file.
        auto database = folder.OpenRecordDatabase(parsed->positional[0],
                                                  palm::kOpenRead | palm::kOpenShowSecret);
        database->SetIterationIndex(0);
        for (palm::PalmRecord record = database->ReadNext(); !database->EndOfData();
             record = database->ReadNext()) {
            std::cout << record.index << ": attributes " << HexByte(record.attributes)
                      << " category " << static_cast<unsigned>(record.category) << " unique ID "
                      << record.uniqueId << " (" << record.data.size() << " bytes) "
                      << Hex(record.data) << "\n";
        }
    } catch (const platform::PlatformError& e) {
        std::cerr << "hotsync: " << e.description() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tarn::hotsync
