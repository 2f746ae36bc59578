// tarn-sample: the handheld side of the bundled sample conduit (samples/orders.json).
//   tarn-sample handheld DIR   writes the sample handheld databases into DIR
//   tarn-sample show DIR       prints the records of those databases, field by field
#include <bit>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "platform/palm/DefaultHandheldFolder.h"
#include "text/Windows1252.h"

namespace {

using tarn::platform::palm::HandheldFolder;
using tarn::platform::palm::NewDatabase;

constexpr const char* kCreator = "TORD";

// Field layouts of the two sample tables, as the handheld stores them.
enum class Kind { Int32, Text, Double, Date, Time };
struct Column {
    const char* name;
    Kind kind;
};
const std::vector<Column> kOrders = {{"OrderNo", Kind::Int32},  {"Customer", Kind::Text},
                                     {"Region", Kind::Text},    {"Amount", Kind::Double},
                                     {"OrderDate", Kind::Date}, {"DeliveryTime", Kind::Time},
                                     {"Deleted", Kind::Int32}};
const std::vector<Column> kProducts = {
    {"Sku", Kind::Text}, {"Name", Kind::Text}, {"Price", Kind::Double}, {"Stock", Kind::Int32}};

std::string Int32(int32_t value) {
    auto v = static_cast<uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string Double(double value) {
    auto bits = std::bit_cast<uint64_t>(value);
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(bits >> shift);
    return out;
}
std::string Text(const std::string& utf8) {
    return tarn::text::ToAnsi(utf8) + '\0';
}

std::string Order(int32_t number, const std::string& customer, const std::string& region,
                  double amount, int date, int time, bool deleted = false) {
    return Int32(number) + Text(customer) + Text(region) + Double(amount) + Double(date) +
           Double(time) + Int32(deleted ? 1 : 0);
}

void WriteDatabase(HandheldFolder& folder, const std::string& name,
                   const std::vector<std::string>& records) {
    NewDatabase database;
    database.name = name;
    database.creator = kCreator;
    auto db = folder.CreateRecordDatabase(database);
    for (const auto& record : records) db->WriteRecord(0, 0, 0, record);
    db->Commit();
}

int WriteSample(const std::string& dir) {
    auto folder = tarn::platform::palm::DefaultHandheldFolder(dir);
    // Orders taken on the road: 1001 is new, 1003 was deleted on the handheld, 1002 was also
    // changed on the desktop (the desktop wins).
    WriteDatabase(*folder, "TarnOrders",
                  {Order(1001, "Harbour Café", "North", 120.5, 1261130, 93000),
                   Order(1002, "Mill & Sons (handheld copy)", "North", 80, 1261128, 140000),
                   Order(1003, "Old Forge", "North", 42.25, 1261101, 110000, true)});
    // Stock figures on the handheld are stale; the desktop overwrites them.
    WriteDatabase(*folder, "TarnProducts",
                  {Text("P-100") + Text("Tea, 1 kg") + Double(9.5) + Int32(3)});
    // The handheld user works the North region only.
    WriteDatabase(*folder, "TarnCFitler-TORD", {Text("Region") + Text("North")});
    return 0;
}

// Reads one field at `pos`; "?" when the record is too short.
std::string ReadField(const std::string& r, size_t& pos, Kind kind) {
    auto byte = [&](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(r[i])); };
    size_t width = kind == Kind::Int32 ? 4 : 8;
    if (kind == Kind::Text) {
        size_t end = r.find('\0', pos);
        if (end == std::string::npos) return "?";
        std::string value = tarn::text::FromAnsi(r.substr(pos, end - pos));
        pos = end + 1;
        return value;
    }
    if (pos + width > r.size()) return "?";
    uint64_t bits = 0;
    for (size_t i = 0; i < width; ++i) bits = bits << 8 | byte(pos + i);
    pos += width;
    if (kind == Kind::Int32) return std::to_string(static_cast<int32_t>(bits));
    double value = std::bit_cast<double>(bits);
    char text[32];
    auto whole = static_cast<long>(value);
    if (kind == Kind::Date)
        std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", whole / 10000 + 1900,
                      whole % 10000 / 100, whole % 100);
    else if (kind == Kind::Time)
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 10000, whole % 10000 / 100,
                      whole % 100);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void ShowDatabase(HandheldFolder& folder, const std::string& name,
                  const std::vector<Column>& columns) {
    std::cout << name << ":\n";
    auto db = folder.OpenRecordDatabase(name);
    db->SetIterationIndex(0);
    for (auto record = db->ReadNext(); !db->EndOfData(); record = db->ReadNext()) {
        size_t pos = 0;
        std::string line;
        for (const auto& column : columns)
            line += std::string(line.empty() ? "  " : ", ") + column.name + "=" +
                    ReadField(record.data, pos, column.kind);
        std::cout << line << "\n";
    }
}

int ShowSample(const std::string& dir) {
    auto folder = tarn::platform::palm::DefaultHandheldFolder(dir);
    ShowDatabase(*folder, "TarnOrders", kOrders);
    ShowDatabase(*folder, "TarnProducts", kProducts);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tarn-sample handheld|show DIR\n";
        return 2;
    }
    try {
        std::string command = argv[1];
        if (command == "handheld") return WriteSample(argv[2]);
        if (command == "show") return ShowSample(argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "tarn-sample: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: tarn-sample handheld|show DIR\n";
    return 2;
}
