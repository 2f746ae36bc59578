#pragma once

#include <string>

#include "common/model/clsTable.h"
#include "conduit/sync/DataRecord.h"

namespace tarn::conduit {

class SqlDialect;
struct SyncSession;

// Moving one table's records between the two sides and its record queue.

// Opens the table's handheld database into session.PalmDatabase, creating it when missing.
// False (with log lines, and the failure noted for the host) when a missing database cannot be
// created. Throws when the database is there but cannot be read, so the table bails out.
bool OpenPalmDatabase(SyncSession& session, const std::string& name);

void LoadPalmRecords(SyncSession& session, const clsTable& table, colDataRecord& queue);
void LoadDesktopRecords(SyncSession& session, const clsTable& table, colDataRecord& queue);
// Deletes, updates or inserts desktop rows for the queue's handheld records.
void SaveDesktopRecords(SyncSession& session, const clsTable& table, const colDataRecord& queue);
// Writes every queued record not marked deleted to the (emptied) handheld database.
void SavePalmRecords(SyncSession& session, const clsTable& table, const colDataRecord& queue);

// "=" and the key value as an SQL literal, for the WHERE part that finds a record's desktop row.
std::string KeyCondition(const SqlDialect& dialect, const clsDataRecord& record);
// The same for a key text of a key field of the given data type.
std::string KeyCondition(const SqlDialect& dialect, int16_t keyType, const std::string& key);

}  // namespace tarn::conduit
