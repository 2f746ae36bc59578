#pragma once

#include <string>

#include "common/model/clsTable.h"
#include "conduit/sync/DataRecord.h"

namespace tarn::conduit {

struct ModuleState;

// Moving one table's records between the two sides and its record queue.

// Opens the table's handheld database into state.PalmDatabase, creating it when missing.
// False (with log lines, and the failure noted for the host) when a missing database cannot be
// created. Throws when the database is there but cannot be read, so the table bails out.
bool OpenPalmDatabase(ModuleState& state, const std::string& name);

void LoadPalmRecords(ModuleState& state, const clsTable& table, colDataRecord& queue);
void LoadDesktopRecords(ModuleState& state, const clsTable& table, colDataRecord& queue);
// Deletes, updates or inserts desktop rows for the queue's handheld records.
void SaveDesktopRecords(ModuleState& state, const clsTable& table, const colDataRecord& queue);
// Writes every queued record not marked deleted to the (emptied) handheld database.
void SavePalmRecords(ModuleState& state, const clsTable& table, const colDataRecord& queue);

// "=" and the key value as an SQL literal, for the WHERE part that finds a record's desktop row.
std::string KeyCondition(const ModuleState& state, const clsDataRecord& record);
// The same for a key text of a key field of the given data type.
std::string KeyCondition(const ModuleState& state, int16_t keyType, const std::string& key);

}  // namespace tarn::conduit
