#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/model/KeyedCollection.h"
#include "common/model/clsField.h"

namespace tarn {

// One table pair: a desktop table and the handheld database kept in step with it.
class clsTable {
  public:
    std::string DesktopTableName;
    std::string PalmDatabaseName;
    int16_t SyncMethod = 0;
    bool PurgeBeforeSync = false;

    // Created empty on first use, so there is always a collection to read.
    colFields& Fields();
    const colFields& Fields() const;
    std::shared_ptr<colFields> SharedFields();
    void SetFields(std::shared_ptr<colFields> fields) { fields_ = std::move(fields); }

  private:
    mutable std::shared_ptr<colFields> fields_;
};

class colTables : public KeyedCollection<clsTable> {
  public:
    // The table is keyed by sKey, or by DesktopTableName when sKey is empty.
    std::shared_ptr<clsTable> Add(const std::string& DesktopTableName,
                                  const std::string& PalmDatabaseName = "", int16_t SyncMethod = 0,
                                  bool PurgeBeforeSync = false, const std::string& sKey = "");
    void MoveUp(int16_t Key);
    void MoveDown(int16_t Key);
    // True when an element has that key; never raises an error.
    bool InCollection(std::string_view Key) const { return HasKey(Key); }
};

}  // namespace tarn
