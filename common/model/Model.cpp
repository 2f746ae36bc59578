#include "common/model/clsField.h"
#include "common/model/clsTable.h"

namespace tarn {

std::shared_ptr<clsField> colFields::Add(const std::string& DesktopFieldName, int16_t DataType,
                                         const std::string& Filter) {
    auto field = std::make_shared<clsField>();
    field->FieldName = DesktopFieldName;
    field->DataType = DataType;
    field->Filter = Filter;
    KeyedCollection::Append(DesktopFieldName, field);
    return field;
}

void colFields::Append(const std::shared_ptr<clsField>& tNewField) {
    KeyedCollection::Append(tNewField->FieldName, tNewField);
}

void colFields::MoveUp(int16_t Key) {
    MoveUpBy(Key, [](const clsField& f) { return f.FieldName; });
}

void colFields::MoveDown(int16_t Key) {
    MoveDownBy(Key, [](const clsField& f) { return f.FieldName; });
}

colFields& clsTable::Fields() {
    return *SharedFields();
}

const colFields& clsTable::Fields() const {
    if (!fields_) fields_ = std::make_shared<colFields>();
    return *fields_;
}

std::shared_ptr<colFields> clsTable::SharedFields() {
    if (!fields_) fields_ = std::make_shared<colFields>();
    return fields_;
}

std::shared_ptr<clsTable> colTables::Add(const std::string& DesktopTableName,
                                         const std::string& PalmDatabaseName, int16_t SyncMethod,
                                         bool PurgeBeforeSync, const std::string& sKey) {
    auto table = std::make_shared<clsTable>();
    table->DesktopTableName = DesktopTableName;
    table->PalmDatabaseName = PalmDatabaseName;
    table->SyncMethod = SyncMethod;
    table->PurgeBeforeSync = PurgeBeforeSync;
    KeyedCollection::Append(sKey.empty() ? DesktopTableName : sKey, table);
    return table;
}

void colTables::MoveUp(int16_t Key) {
    MoveUpBy(Key, [](const clsTable& t) { return t.DesktopTableName; });
}

void colTables::MoveDown(int16_t Key) {
    MoveDownBy(Key, [](const clsTable& t) { return t.DesktopTableName; });
}

}  // namespace tarn
