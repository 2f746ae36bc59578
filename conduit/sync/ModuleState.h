#pragma once

#include <cstddef>
#include <string>

#include "common/config/ConduitSettings.h"
#include "common/model/clsTable.h"
#include "conduit/sync/Filters.h"
#include "conduit/sync/SyncPlatform.h"

namespace tarn::conduit {

// What the conduit library keeps between calls while it is loaded: created on first use and
// never reset. Everything one synchronisation uses lives in its SyncSession instead.
struct ModuleState {
    explicit ModuleState(SyncPlatform& platform) : Platform(platform) {}

    SyncPlatform& Platform;

    // The description last named by the host (configuration or sync): the configuration
    // window opened without a Creator ID shows it.
    std::string ConfigPath;
    // What the configuration window shows and writes back.
    ConduitSettings Settings;  // text settings stay scrambled
    colTables Tables;

    // The handheld's filters: a name loaded by an earlier sync of this process keeps the value
    // it had then.
    colFilters WorkFilters;

    // The handheld records one batch of desktop writes covers; 1 writes record by record, 0
    // takes the size that pays on the database (DefaultBatchRecords in DesktopDialect.h).
    std::size_t DesktopBatchRecords = 0;
};

}  // namespace tarn::conduit
