#include "conduit/sync/PalmRecordCodec.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>

#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/FieldText.h"
#include "conduit/sync/HandheldDecoder.h"
#include "conduit/sync/SyncError.h"
#include "conduit/sync/TarnFunc.h"
#include "text/Windows1252.h"

namespace tarn::conduit {
namespace {

// Whether `count` more bytes fit in `bytes` after `position`.
bool Fits(std::span<char> bytes, size_t position, size_t count) {
    return position <= bytes.size() && bytes.size() - position >= count;
}

void Reserve(std::span<char> bytes, size_t position, size_t count) {
    if (!Fits(bytes, position, count))
        throw SyncError(kErrOutOfRange, "Subscript out of range: a Palm record holds at most " +
                                            std::to_string(bytes.size()) + " bytes");
}

[[noreturn]] void RecordEnds(std::string_view bytes) {
    throw SyncError(kErrOutOfRange, "Subscript out of range: the handheld record ends after " +
                                        std::to_string(bytes.size()) + " bytes, inside this field");
}

const unsigned char* Take(std::string_view bytes, size_t& position, size_t count) {
    if (position > bytes.size() || bytes.size() - position < count) RecordEnds(bytes);
    auto data = reinterpret_cast<const unsigned char*>(bytes.data()) + position;
    position += count;
    return data;
}

// Writes through a pointer of its own: stores through `bytes` itself may change `position` as
// far as the compiler knows, which it would then read again after every byte.
void StoreBigEndian32(char* at, uint32_t value) {
    at[0] = static_cast<char>(value >> 24);
    at[1] = static_cast<char>(value >> 16);
    at[2] = static_cast<char>(value >> 8);
    at[3] = static_cast<char>(value);
}

void PutBigEndian32(std::span<char> bytes, size_t& position, uint32_t value) {
    Reserve(bytes, position, 4);
    StoreBigEndian32(bytes.data() + position, value);
    position += 4;
}

uint32_t GetBigEndian32(std::string_view bytes, size_t& position) {
    const unsigned char* b = Take(bytes, position, 4);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

void WriteNoDate(std::span<char> bytes, size_t& position) {
    Reserve(bytes, position, 8);
    std::memset(bytes.data() + position, 0, 8);
    position += 8;
}

void EncodeField(int16_t type, std::string_view value, std::span<char> bytes, size_t& position) {
    switch (type) {
        case kTypeInteger:
        case kTypeShort:  // four bytes as well: the handheld keeps no 16-bit fields
            WriteInt32(bytes, position, TextToInt32(value));
            break;
        case kTypeSingle:
            WritePalmSingle(bytes, position, TextToSingle(value));
            break;
        case kTypeDouble:
            WritePalmDouble(bytes, position, TextToDouble(value));
            break;
        case kTypeDate:
            // "0" is what a record without a date decodes to, and the zero date is how the
            // desktop stores one: both go back as no date, so such a record never changes.
            if (value.empty() || value == "0") {
                WriteNoDate(bytes, position);
            } else if (CalendarDate date = ParseDate(value); date.IsZero()) {
                WriteNoDate(bytes, position);
            } else {
                WritePalmDouble(bytes, position, DateToPalmNumber(date));
            }
            break;
        case kTypeTime:
            WritePalmDouble(bytes, position, TimeToPalmNumber(ParseTime(value)));
            break;
        case kTypeString:
        case kTypeSignature:
            WriteText(bytes, position, value);
            break;
        case kTypeRecordStatus:
            // The handheld application sets the status; the desktop always hands back 0.
            WriteInt32(bytes, position, 0);
            break;
        default:  // "Byte", "IgnoreField" and unknown codes are not stored
            break;
    }
}

// The data types a handheld record stores, each as one field of the decoded record.
bool StoredOnHandheld(int16_t type) {
    switch (type) {
        case kTypeDate:
        case kTypeTime:
        case kTypeDouble:
        case kTypeSingle:
        case kTypeInteger:
        case kTypeShort:
        case kTypeRecordStatus:
        case kTypeString:
        case kTypeSignature:
            return true;
        default:
            return false;
    }
}

// Decodes one stored field of `type` into `value`.
void DecodeValue(int16_t type, std::string_view bytes, size_t& position, std::string& value) {
    switch (type) {
        case kTypeDate:
            // Eight zero bytes, and any number that forms no date, read as the zero date.
            value = DateText(PalmNumberToDate(ReadPalmDouble(bytes, position)));
            break;
        case kTypeTime:
            value = FormatTime(PalmNumberToTime(ReadPalmDouble(bytes, position)));
            break;
        case kTypeDouble:
            value = NumberText(ReadPalmDouble(bytes, position));
            break;
        case kTypeSingle:
            value = NumberText(ReadPalmSingle(bytes, position));
            break;
        case kTypeInteger:
        case kTypeShort:
        case kTypeRecordStatus:
            value = std::to_string(ReadInt32(bytes, position));
            break;
        case kTypeString:
        case kTypeSignature: {
            const std::string_view ansi = TakeText(bytes, position, kMaxPalmTextLength);
            // ASCII reads the same in both: copied into the value's room, without a new text.
            if (text::IsAscii(ansi))
                value.assign(ansi);
            else
                value = text::FromAnsi(ansi);
            break;
        }
        default:
            break;
    }
}

// Moves past one stored field of `type`, failing where decoding it would fail: where the
// record ends inside it, or where a time field holds no time.
void SkipValue(int16_t type, std::string_view bytes, size_t& position) {
    switch (type) {
        case kTypeTime:
            PalmNumberToTime(ReadPalmDouble(bytes, position));
            break;
        case kTypeDate:
        case kTypeDouble:
            Take(bytes, position, 8);
            break;
        case kTypeSingle:
        case kTypeInteger:
        case kTypeShort:
        case kTypeRecordStatus:
            Take(bytes, position, 4);
            break;
        case kTypeString:
        case kTypeSignature:
            TakeText(bytes, position, kMaxPalmTextLength);
            break;
        default:
            break;
    }
}

}  // namespace

bool EncodeDesktopValue(int16_t type, const std::string* text, std::span<char> bytes,
                        size_t& position) {
    switch (type) {
        case kTypeString:
        case kTypeSignature: {
            const std::string_view value = text ? std::string_view(*text) : std::string_view();
            if (!Fits(bytes, position, value.size() + 1) || !HandheldHoldsText(value)) return false;
            WriteText(bytes, position, value);
            return true;
        }
        case kTypeRecordStatus:  // the desktop always hands back 0
            if (!Fits(bytes, position, 4)) return false;
            WriteInt32(bytes, position, 0);
            return true;
        case kTypeInteger:
        case kTypeShort:
        case kTypeSingle:
        case kTypeDouble:
        case kTypeDate:
        case kTypeTime:
            break;
        default:
            return false;
    }
    if (!text || IsBlankDesktopText(*text) || !Fits(bytes, position, 8)) return false;
    switch (type) {
        case kTypeInteger:
        case kTypeShort: {
            const std::optional<int64_t> whole = DesktopWholeNumber(*text);
            if (!whole || *whole < std::numeric_limits<int32_t>::min() ||
                *whole > std::numeric_limits<int32_t>::max())
                return false;
            WriteInt32(bytes, position, static_cast<int32_t>(*whole));
            return true;
        }
        case kTypeSingle:
            WritePalmSingle(bytes, position, TextToSingle(*text));
            return true;
        case kTypeDouble:
            WritePalmDouble(bytes, position, TextToDouble(*text));
            return true;
        case kTypeDate:
            // The zero date is how the desktop stores a record without one: no date.
            if (const CalendarDate date = ParseDate(*text); date.IsZero())
                WriteNoDate(bytes, position);
            else
                WritePalmDouble(bytes, position, DateToPalmNumber(date));
            return true;
        default:
            WritePalmDouble(bytes, position, TimeToPalmNumber(ParseTime(*text)));
            return true;
    }
}

DoubleHalves SplitDouble(double value) {
    auto bits = std::bit_cast<uint64_t>(value);
    return {static_cast<uint32_t>(bits >> 32), static_cast<uint32_t>(bits)};
}

void WriteInt32(std::span<char> bytes, size_t& position, int32_t value) {
    PutBigEndian32(bytes, position, static_cast<uint32_t>(value));
}

void WritePalmDouble(std::span<char> bytes, size_t& position, double value) {
    Reserve(bytes, position, 8);
    const DoubleHalves halves = SplitDouble(value);
    char* at = bytes.data() + position;
    StoreBigEndian32(at, halves.high);
    StoreBigEndian32(at + 4, halves.low);
    position += 8;
}

void WritePalmSingle(std::span<char> bytes, size_t& position, float value) {
    PutBigEndian32(bytes, position, std::bit_cast<uint32_t>(value));
}

void WriteText(std::span<char> bytes, size_t& position, std::string_view utf8) {
    // A zero character would end the text early for every reader of the record and shift the
    // fields after it, so the text ends there.
    utf8 = utf8.substr(0, utf8.find('\0'));
    size_t ascii = 0;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
    if (ascii == utf8.size()) {  // the common case: copy as it is, nothing to convert
        Reserve(bytes, position, utf8.size() + 1);
        std::memcpy(bytes.data() + position, utf8.data(), utf8.size());
        position += utf8.size();
    } else {
        std::string ansi = text::ToAnsi(utf8.substr(ascii));
        Reserve(bytes, position, ascii + ansi.size() + 1);
        std::memcpy(bytes.data() + position, utf8.data(), ascii);
        std::memcpy(bytes.data() + position + ascii, ansi.data(), ansi.size());
        position += ascii + ansi.size();
    }
    bytes[position++] = '\0';
}

bool HandheldHoldsText(std::string_view utf8) {
    if (utf8.find('\0') != std::string_view::npos) return false;
    if (text::IsAscii(utf8)) return true;
    return text::FromAnsi(text::ToAnsi(utf8)) == utf8;
}

int32_t ReadInt32(std::string_view bytes, size_t& position) {
    return static_cast<int32_t>(GetBigEndian32(bytes, position));
}

double ReadPalmDouble(std::string_view bytes, size_t& position) {
    const unsigned char* b = Take(bytes, position, 8);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | b[i];
    return std::bit_cast<double>(bits);
}

float ReadPalmSingle(std::string_view bytes, size_t& position) {
    return std::bit_cast<float>(GetBigEndian32(bytes, position));
}

std::string_view TakeText(std::string_view bytes, size_t& position, size_t maxLength) {
    if (position >= bytes.size()) RecordEnds(bytes);  // even an empty text has its zero byte
    std::string_view rest = bytes.substr(position);
    size_t length = rest.substr(0, maxLength).find('\0');
    if (length == std::string_view::npos) {
        if (rest.size() < maxLength) RecordEnds(bytes);  // the record ends inside the text
        length = maxLength;
    }
    position += length;
    if (length < maxLength) ++position;  // the zero byte
    return rest.substr(0, length);
}

std::string ReadText(std::string_view bytes, size_t& position, size_t maxLength) {
    return text::FromAnsi(TakeText(bytes, position, maxLength));
}

std::string clsDataRecord::BuildPalmRecord(HotSyncLog& log, clsErrorStack& errors) const {
    const bool describe = log.DebugLevel >= 4;
    if (!describe) {
        if (const std::optional<std::string_view> built = BuiltBytes()) return std::string(*built);
    }
    // Left uninitialised: only the bytes written are kept, in the one allocation of the result.
    std::array<char, kMaxPalmRecordBytes> buffer;
    size_t position = 0;
    std::string format;
    if (describe) format = "Palm Record Format: ";

    for (std::size_t i = 0, count = FieldCount(); i < count; ++i) {
        const int16_t type = FieldType(i);
        const std::string_view value = FieldValue(i);
        try {
            EncodeField(type, value, buffer, position);
        } catch (...) {
            // The context is pushed only once the field has failed: the stack then reads
            // exactly as if it had guarded the step, without a text built per field and record.
            errors.Push("Error adding field to Palm record: " + FieldName(i) +
                        " DataType=" + DataTypeName(type) + " Value=" + std::string(value));
            throw;
        }
        if (describe) format += DataTypeName(type) + "(" + std::string(value) + ") ";
    }
    if (describe) log.WriteLog(format, 4);

    if (position == 0)
        throw SyncError(kErrOutOfRange,
                        "Subscript out of range: no field of the record is stored in a Palm "
                        "record, which cannot be empty");
    return std::string(buffer.data(), position);
}

void colDataRecord::AddPalmRecord(HotSyncLog& log, HandheldDecoder& decoder,
                                  std::string_view pData) {
    AdmitPalmRecord(log, decoder.Decode(pData));
}

HandheldDecoder::HandheldDecoder(const colFields& definitions, clsErrorStack& errors)
    : definitions_(definitions),
      errors_(errors),
      layout_(MakeRecordLayout(definitions, StoredOnHandheld)) {}

colDataRecord::Record HandheldDecoder::Decode(std::string_view bytes) {
    if (layout_->Count() == 0)
        throw SyncError(kErrInvalidArgument,
                        "Invalid procedure call or argument: the handheld record has no stored "
                        "field to take its key from");
    auto record = std::make_shared<clsDataRecord>();
    record->PalmSource = true;
    size_t position = 0;
    bool first = true;
    // Only the key is decoded now; the other fields are checked as decoding them would check
    // them, so that a faulty record fails here, and decoded when first asked for: most records
    // of an everyday sync are replaced by their desktop rows unread.
    for (const auto& definition : definitions_) {
        const int16_t type = definition->DataType;
        if (!StoredOnHandheld(type)) continue;
        try {
            const size_t start = position;
            if (first)
                DecodeValue(type, bytes, position, key_);
            else
                SkipValue(type, bytes, position);
            first = false;
            if (type == kTypeRecordStatus) {
                size_t at = start;
                if (ReadInt32(bytes, at) == 1) record->RecordStatus |= RecordDeleted;
            }
        } catch (...) {
            errors_.Push("Error loading field " + definition->FieldName + " from Palm");
            throw;
        }
    }
    // Bytes after the last field are the handheld application's business and are ignored.
    record->SetStoredBytes(layout_, bytes.substr(0, position));
    record->PrimaryFieldValue = key_;
    return record;
}

void DecodeStoredValues(const RecordLayout& layout, std::string_view bytes,
                        std::vector<std::string>& values) {
    values.resize(layout.Count());
    size_t position = 0;
    for (std::size_t i = 0; i < layout.Count(); ++i)
        DecodeValue(layout.Type(i), bytes, position, values[i]);
}

}  // namespace tarn::conduit
