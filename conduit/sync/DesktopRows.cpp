#include <optional>
#include <string>
#include <vector>

#include "common/model/CollectionErrors.h"
#include "common/model/DataTypes.h"
#include "conduit/log/HotSyncLog.h"
#include "conduit/sync/DataRecord.h"
#include "conduit/sync/DesktopDatabase.h"
#include "conduit/sync/DesktopDialect.h"
#include "conduit/sync/DesktopRowReader.h"
#include "conduit/sync/FieldText.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/PalmRecordCodec.h"
#include "conduit/sync/SqlDialect.h"
#include "conduit/sync/SqlParameters.h"
#include "conduit/sync/TarnFunc.h"
#include "conduit/sync/Transfer.h"
#include "platform/odbc/Database.h"
#include "platform/odbc/OdbcError.h"

namespace tarn::conduit {
namespace {

std::string DateLiteral(std::string_view text) {
    // An empty handheld date travels as the number 0: day serial 0.
    CalendarDate date = text == "0" ? CalendarDate{} : ParseDate(text);
    return "'" + FormatDate(date) + "'";
}

// The SQL form of a field's value; "NULL" for an empty text where the type allows it, except
// in the key: a row with a NULL key could never be found again, and the record would be
// inserted anew at every sync.
std::string ValueLiteral(const SqlDialect& dialect, int16_t type, std::string_view value,
                         bool isKey) {
    switch (type) {
        case kTypeDate:
            return value.empty() ? "NULL" : DateLiteral(value);
        case kTypeString:
        case kTypeSignature:
        case kTypeTime:
            return value.empty() && !isKey ? "NULL" : dialect.Literal(value);
        default:
            return std::string(value);
    }
}

// The handheld carries no "Byte" fields, and the status and ignore fields have no value of
// the record's own.
bool InUpdate(int16_t type) {
    return type != kTypeByte && type != kTypeRecordStatus && type != kTypeIgnoreField;
}

bool HasUsableFilter(const clsField& definition, const colFilters& WorkFilters) {
    return !definition.Filter.empty() && WorkFilters.FilterIsValid(definition.Filter);
}

bool InInsert(const clsField& definition, const colFilters& WorkFilters) {
    if (definition.DataType == kTypeIgnoreField) return HasUsableFilter(definition, WorkFilters);
    return definition.DataType != kTypeByte && definition.DataType != kTypeRecordStatus;
}

bool InWrite(const clsField& definition, bool UpdateQuery, const colFilters& WorkFilters) {
    return UpdateQuery ? InUpdate(definition.DataType) : InInsert(definition, WorkFilters);
}

// The bound form of a field's value, by the same rules as ValueLiteral: each value in the type
// of its field, so that the database reads it as it read the literal.
void ValueParameter(int16_t type, std::string_view value, bool isKey,
                    platform::odbc::Parameter& parameter) {
    using platform::odbc::ParameterType;
    switch (type) {
        case kTypeDate: {
            if (value.empty()) return parameter.SetNull(ParameterType::Date);
            CalendarDate date = value == "0" ? CalendarDate{} : ParseDate(value);
            return parameter.SetDate(date.year, date.month, date.day);
        }
        case kTypeString:
        case kTypeSignature:
        case kTypeTime:
            if (value.empty() && !isKey) return parameter.SetNull(ParameterType::Text);
            return parameter.SetText(value);
        default:
            return NumberParameter(type, value, parameter);
    }
}

// A desktop row's fields: every data type but "IgnoreField" (and unknown codes).
bool ReadFromDesktop(int16_t type) {
    return type >= kTypeByte && type <= kTypeSignature;
}

// Removes the separator left after the last item.
void DropTrailingSeparator(std::string& sql) {
    if (sql.size() >= 2 && sql.compare(sql.size() - 2, 2, ", ") == 0) sql.resize(sql.size() - 2);
}

// Where each field definition's column sits in the rows.
std::vector<std::optional<std::size_t>> ColumnPositions(const colFields& definitions,
                                                        const platform::odbc::ResultSet& rows) {
    std::vector<std::optional<std::size_t>> positions;
    positions.reserve(static_cast<size_t>(definitions.Count()));
    for (const auto& field : definitions) positions.push_back(rows.FindColumn(field->FieldName));
    return positions;
}

// The columns Read looks at: those of the fields whose value comes from the desktop.
std::vector<bool> ColumnsRead(const colFields& definitions,
                              const std::vector<std::optional<std::size_t>>& positions) {
    std::vector<bool> wanted;
    size_t index = 0;
    for (const auto& field : definitions) {
        const std::optional<std::size_t> position = positions[index++];
        if (!ReadFromDesktop(field->DataType) || field->DataType == kTypeRecordStatus) continue;
        if (!position) continue;
        if (wanted.size() <= *position) wanted.resize(*position + 1);
        wanted[*position] = true;
    }
    return wanted;
}

}  // namespace

DesktopRowReader::DesktopRowReader(const colFields& definitions, platform::odbc::ResultSet& rows,
                                   clsErrorStack& errors)
    : definitions_(definitions),
      rows_(rows),
      errors_(errors),
      positions_(ColumnPositions(definitions, rows)),
      layout_(MakeRecordLayout(definitions, ReadFromDesktop)),
      values_(layout_->Count()) {
    rows.ReadOnlyColumns(ColumnsRead(definitions, positions_));
    asRecordBytes_ = layout_->Count() > 0;
    for (std::size_t i = 0; i < layout_->Count(); ++i)
        if (layout_->Type(i) == kTypeByte) asRecordBytes_ = false;
    if (asRecordBytes_) buffer_.resize(kMaxPalmRecordBytes);
}

const std::optional<std::string>& DesktopRowReader::Column(
    const clsField& definition, std::optional<std::size_t> position) const {
    if (!position)
        throw platform::odbc::OdbcError(platform::odbc::kColumnNotFound,
                                        "Column not found: " + definition.FieldName, "");
    return rows_.Value(*position);
}

template <typename Value, typename Status>
bool DesktopRowReader::EachField(Value value, Status status) {
    size_t index = 0;
    size_t fieldIndex = 0;
    for (const auto& definition : definitions_) {
        const std::optional<std::size_t> column = positions_[index++];
        const int16_t type = definition->DataType;
        if (!ReadFromDesktop(type)) continue;
        const size_t position = fieldIndex++;
        if (type == kTypeRecordStatus) {
            if (!status(position)) return false;
            continue;
        }
        try {
            if (!value(type, Column(*definition, column), position)) return false;
        } catch (...) {
            // Pushed only on failure, so that no text is built per field and row; the stack
            // then reads as if the context had guarded the step.
            errors_.Push("Error loading field " + definition->FieldName + " from desktop");
            throw;
        }
    }
    return true;
}

void DesktopRowReader::ReadTexts(const std::string*& keyText) {
    EachField(
        [&](int16_t type, const std::optional<std::string>& column, size_t position) {
            std::string& value = values_[position];
            if (column)
                AssignDesktopValueText(type, *column, value);
            else
                value.clear();
            if (position == 0 && column) keyText = &*column;
            return true;
        },
        [&](size_t position) {
            values_[position] = "0";
            return true;
        });
}

bool DesktopRowReader::ReadRecordBytes(const std::string*& keyText, std::size_t& length) {
    size_t end = 0;
    const bool whole = EachField(
        [&](int16_t type, const std::optional<std::string>& column, size_t position) {
            if (position == 0) {
                if (column)
                    AssignDesktopValueText(type, *column, key_);
                else
                    key_.clear();
                keyText = column ? &*column : nullptr;
            }
            return EncodeDesktopValue(type, column ? &*column : nullptr, buffer_, end);
        },
        [&](size_t position) {
            if (position == 0) key_ = "0";
            return EncodeDesktopValue(kTypeRecordStatus, nullptr, buffer_, end);
        });
    length = end;
    return whole;
}

bool DesktopRowReader::TextsAltered() const {
    for (std::size_t i = 1; i < layout_->Count(); ++i) {
        const int16_t type = layout_->Type(i);
        if ((type == kTypeString || type == kTypeSignature) && !HandheldHoldsText(values_[i]))
            return true;
    }
    return false;
}

colDataRecord::Record DesktopRowReader::Read(DesktopRowSkip& skip) {
    skip = DesktopRowSkip::None;
    textsAltered_ = false;
    // The key column as the desktop gave it; it lives in the result set until the next row.
    const std::string* keyText = nullptr;
    // Most rows become handheld records whose bytes decode to their texts: they are held as
    // those bytes, which are then written to the handheld as they are, rather than as texts
    // that would be read again to build them.
    std::size_t recordLength = 0;
    const bool asRecord = asRecordBytes_ && ReadRecordBytes(keyText, recordLength);
    if (!asRecord) {
        keyText = nullptr;
        ReadTexts(keyText);
    }

    if (layout_->Count() == 0) throw IndexOutOfRangeError(1);  // no field to take the key from
    const std::string& key = asRecord ? key_ : values_[0];
    if (key.empty()) {
        skip = DesktopRowSkip::EmptyKey;
        return nullptr;
    }
    const int16_t keyType = layout_->Type(0);
    if ((keyType == kTypeString || keyType == kTypeSignature) && !HandheldHoldsText(key)) {
        skip = DesktopRowSkip::KeyTheHandheldCannotHold;
        return nullptr;
    }
    // A row held as its handheld record has texts the handheld holds as they are.
    textsAltered_ = !asRecord && TextsAltered();
    auto record = std::make_shared<clsDataRecord>();
    record->PalmSource = false;
    if (asRecord)
        record->SetBuiltBytes(layout_, std::string_view(buffer_.data(), recordLength));
    else
        record->SetValues(layout_, values_);
    record->PrimaryFieldValue = key;
    if (keyText && *keyText != key) record->AddDesktopKeyValue(*keyText);
    return record;
}

DesktopRowSkip colDataRecord::AddDesktopRecord(HotSyncLog& log, DesktopRowReader& reader) {
    DesktopRowSkip skip = DesktopRowSkip::None;
    if (Record record = reader.Read(skip)) return AdmitDesktopRecord(log, std::move(record));
    return skip;
}

std::string BuildDesktopWriteStatement(const SqlDialect& dialect, const clsTable& WorkTable,
                                       bool UpdateQuery, const colFilters& WorkFilters) {
    std::string columns;
    for (const auto& definition : WorkTable.Fields()) {
        if (!InWrite(*definition, UpdateQuery, WorkFilters)) continue;
        columns += dialect.Identifier(definition->FieldName) + (UpdateQuery ? "=?, " : ", ");
    }
    DropTrailingSeparator(columns);
    const std::string table = dialect.Identifier(WorkTable.DesktopTableName);
    if (UpdateQuery) {
        const std::string& keyName = WorkTable.Fields().Item(1)->FieldName;
        return "UPDATE " + table + " SET " + columns + " WHERE " + dialect.Identifier(keyName) +
               "=?";
    }
    std::string markers;
    for (const auto& definition : WorkTable.Fields())
        if (InWrite(*definition, UpdateQuery, WorkFilters))
            markers += markers.empty() ? "?" : ", ?";
    return "INSERT INTO " + table + " (" + columns + ") VALUES (" + markers + ")";
}

std::size_t clsDataRecord::DesktopWriteParameters(const clsTable& WorkTable, bool UpdateQuery,
                                                  const colFilters& WorkFilters,
                                                  std::vector<platform::odbc::Parameter>& out,
                                                  std::size_t from) const {
    std::size_t count = from;
    auto next = [&]() -> platform::odbc::Parameter& {
        if (out.size() <= count) out.resize(count + 1);
        return out[count++];
    };
    // The record's fields follow the table's definitions in order, some left out: each is
    // looked for first where the one before it was found.
    std::size_t expected = 0;
    for (const auto& definition : WorkTable.Fields()) {
        if (!InWrite(*definition, UpdateQuery, WorkFilters)) continue;
        if (definition->DataType == kTypeIgnoreField) {
            next().SetText(WorkFilters.Item(definition->Filter)->FilterValue);
            continue;
        }
        const std::size_t field =
            expected < FieldCount() && FieldName(expected) == definition->FieldName
                ? expected
                : FieldIndex(definition->FieldName);
        expected = field + 1;
        ValueParameter(FieldType(field), FieldValue(field), field == 0, next());
    }
    if (UpdateQuery) KeyParameter(FieldType(0), PrimaryFieldValue, next());
    return count;
}

std::string clsDataRecord::BuildDesktopWriteQuery(const SqlDialect& dialect,
                                                  const clsTable& WorkTable, bool UpdateQuery,
                                                  const colFilters& WorkFilters) const {
    const colFields& definitions = WorkTable.Fields();
    const std::string table = dialect.Identifier(WorkTable.DesktopTableName);
    auto literal = [&](const clsField& definition) {
        const std::size_t field = FieldIndex(definition.FieldName);
        return ValueLiteral(dialect, FieldType(field), FieldValue(field), field == 0);
    };

    if (UpdateQuery) {
        std::string sql = "UPDATE " + table + " SET ";
        for (const auto& definition : definitions) {
            if (!InUpdate(definition->DataType)) continue;
            sql += dialect.Identifier(definition->FieldName) + "=" + literal(*definition) + ", ";
        }
        DropTrailingSeparator(sql);

        // The same condition that found the row finds it again.
        sql += " WHERE " + dialect.Identifier(FieldName(0)) + KeyCondition(dialect, *this);
        return sql;
    }

    std::string columns;
    std::string values;
    for (const auto& definition : definitions) {
        if (!InInsert(*definition, WorkFilters)) continue;
        columns += dialect.Identifier(definition->FieldName) + ", ";
        if (definition->DataType == kTypeIgnoreField) {
            values += dialect.Literal(WorkFilters.Item(definition->Filter)->FilterValue) + ", ";
        } else {
            values += literal(*definition) + ", ";
        }
    }
    DropTrailingSeparator(columns);
    DropTrailingSeparator(values);
    return "INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")";
}

}  // namespace tarn::conduit
