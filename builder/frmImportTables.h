#pragma once

#include <QDialog>
#include <vector>

#include "common/model/clsTable.h"
#include "platform/odbc/Database.h"

class QListWidget;
class QPushButton;

namespace tarn::builder {

// "Import Tables": offers the desktop database's tables that the conduit does not have yet and
// adds the chosen one with the chosen columns, typed by their SQL types.
class frmImportTables : public QDialog {
    Q_OBJECT

  public:
    frmImportTables(colTables& tables, platform::odbc::Connection& database,
                    QWidget* parent = nullptr);

    // False when the database could not list its tables or columns; the message says why.
    const std::string& CatalogError() const { return catalogError_; }

  private:
    void lstTable_Click();
    void lstField_SelectionChanged();
    void cmdImport_Click();

    colTables& tables_;
    platform::odbc::Connection& database_;
    std::vector<platform::odbc::ColumnInfo> columns_;
    std::string catalogError_;
    QListWidget* lstTable_;
    QListWidget* lstField_;
    QPushButton* cmdImport_;
    QPushButton* cmdCancel_;
};

}  // namespace tarn::builder
