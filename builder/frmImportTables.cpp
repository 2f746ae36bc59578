#include "builder/frmImportTables.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <exception>

#include "common/model/DataTypes.h"
#include "platform/odbc/Database.h"
#include "platform/ui/MessageBox.h"

namespace tarn::builder {

using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

frmImportTables::frmImportTables(colTables& tables, platform::odbc::Connection& database,
                                 QWidget* parent)
    : QDialog(parent), tables_(tables), database_(database) {
    setObjectName("frmImportTables");
    setWindowTitle("Import Tables");

    auto* lblTable = new QLabel("Select Table", this);
    lblTable->setObjectName("lblTable");
    lstTable_ = new QListWidget(this);
    lstTable_->setObjectName("lstTable");
    lstTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* lblField = new QLabel("Select Fields", this);
    lblField->setObjectName("lblField");
    lstField_ = new QListWidget(this);
    lstField_->setObjectName("lstField");
    lstField_->setSelectionMode(QAbstractItemView::MultiSelection);
    cmdImport_ = new QPushButton("&Import", this);
    cmdImport_->setObjectName("cmdImport");
    cmdCancel_ = new QPushButton("&Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");

    auto* grid = new QGridLayout;
    grid->addWidget(lblTable, 0, 0);
    grid->addWidget(lblField, 0, 1);
    grid->addWidget(lstTable_, 1, 0);
    grid->addWidget(lstField_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdImport_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(480, 320);

    cmdImport_->setEnabled(false);
    try {
        for (const std::string& name : database_.ListTables())
            if (!tables_.InCollection(name)) lstTable_->addItem(QString::fromStdString(name));
    } catch (const std::exception& error) {
        catalogError_ = error.what();
    }

    connect(lstTable_, &QListWidget::itemSelectionChanged, this, [this] { lstTable_Click(); });
    connect(lstField_, &QListWidget::itemSelectionChanged, this,
            [this] { lstField_SelectionChanged(); });
    connect(cmdImport_, &QPushButton::clicked, this, [this] { cmdImport_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void frmImportTables::lstTable_Click() {
    lstField_->clear();
    columns_.clear();
    QListWidgetItem* chosen = lstTable_->currentItem();
    if (!chosen) return;
    try {
        columns_ = database_.ListColumns(chosen->text().toStdString());
    } catch (const std::exception& error) {
        ShowMessageBox("",
                       "The columns of the table " + chosen->text().toStdString() +
                           " could not be read:\n" + error.what(),
                       MessageIcon::Critical);
    }
    for (const auto& column : columns_) lstField_->addItem(QString::fromStdString(column.name));
    lstField_->selectAll();
    lstField_SelectionChanged();
}

void frmImportTables::lstField_SelectionChanged() {
    cmdImport_->setEnabled(!lstField_->selectedItems().isEmpty());
}

void frmImportTables::cmdImport_Click() {
    QListWidgetItem* chosen = lstTable_->currentItem();
    if (!chosen) return;
    std::string name = chosen->text().toStdString();
    try {
        auto table = tables_.Add(name, "", 0, false);
        for (int row = 0; row < lstField_->count(); ++row) {
            if (!lstField_->item(row)->isSelected()) continue;
            const auto& column = columns_.at(static_cast<size_t>(row));
            table->Fields().Add(column.name,
                                DataTypeFromColumnType(static_cast<int16_t>(column.sqlType)), "");
        }
    } catch (const std::exception& error) {
        // Two columns whose names differ only in letter case cannot both be fields.
        if (tables_.InCollection(name)) tables_.Remove(name);
        ShowMessageBox("", "The table " + name + " could not be imported:\n" + error.what(),
                       MessageIcon::Critical);
        return;
    }
    accept();
}

}  // namespace tarn::builder
