#include <cstdio>
#include <iostream>
#include <optional>

#include "hotsync/CommandLine.h"
#include "hotsync/Commands.h"
#include "platform/Error.h"
#include "platform/palm/DefaultHandheldFolder.h"

namespace tarn::hotsync {
namespace {

namespace palm = tarn::platform::palm;

constexpr char kDatabasesUsage[] = "databases --handheld DIR";
constexpr char kDumpUsage[] = "dump --handheld DIR NAME";

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
    int exitCode = 0;
    std::optional<HandheldArgs> parsed =
        ParseHandheldArgs("databases", args, {}, kDatabasesUsage, exitCode);
    if (!parsed) return exitCode;
    if (!parsed->args.positional.empty())
        return UsageError("databases", "unexpected argument '" + parsed->args.positional[0] + "'",
                          kDatabasesUsage);
    auto folder = palm::DefaultHandheldFolder(parsed->folder);
    std::vector<palm::DatabaseListing> listings;
    try {
        listings = folder->ListDatabases();
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
    if (listings.empty())
        std::cerr << "hotsync: no databases in " << parsed->folder.string() << "\n";
    return 0;
}

int RunDump(const Args& args) {
    int exitCode = 0;
    std::optional<HandheldArgs> parsed = ParseHandheldArgs("dump", args, {}, kDumpUsage, exitCode);
    if (!parsed) return exitCode;
    if (parsed->args.positional.size() != 1)
        return UsageError("dump", "give exactly one database name", kDumpUsage);
    auto folder = palm::DefaultHandheldFolder(parsed->folder);
    try {
        // Reading only: a dump never rewrites the file.
        auto database = folder->OpenRecordDatabase(parsed->args.positional[0],
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
