// The tables of the conduit in the main window: the list and its toolbar, the table settings,
// the field mapping and the import from the desktop database.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <exception>

#include "builder/DesktopDatabase.h"
#include "builder/frmField.h"
#include "builder/frmImportTables.h"
#include "builder/frmMain.h"
#include "common/connection/ConnectionTest.h"
#include "common/model/DataTypes.h"
#include "common/ui/ModalWindow.h"
#include "platform/ui/MessageBox.h"
#include "text/Windows1252.h"

namespace tarn::builder {

using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

namespace {

bool IsSyncOption(int index) {
    return index == 0 || index == 2 || index == 3 || index == 6;
}

bool HasPurgeBox(int index) {
    return index == 2 || index == 3;
}

constexpr char kFieldError[] = "Error adding or modifying field. \nThe field may already exist.";

}  // namespace

std::shared_ptr<clsTable> frmMain::ShownTable() const {
    if (workingTable_.empty() || !tables_->InCollection(workingTable_)) return nullptr;
    return tables_->Item(workingTable_);
}

void frmMain::RefreshTableList() {
    {
        QSignalBlocker quiet(lstTables_);
        lstTables_->clear();
        for (const auto& table : *tables_)
            lstTables_->addItem(QString::fromStdString(table->DesktopTableName));
        for (int row = 0; row < lstTables_->count(); ++row) {
            if (lstTables_->item(row)->text().toStdString() == workingTable_) {
                lstTables_->setCurrentRow(row);
                break;
            }
        }
    }
    if (lstTables_->currentItem()) lstTables_Click();
}

void frmMain::lstTables_Click() {
    QListWidgetItem* item = lstTables_->currentItem();
    if (item && item->isSelected()) SetWorkingTable(item->text().toStdString());
}

void frmMain::SetWorkingTable(const std::string& name) {
    workingTable_ = name;
    lstFields_->clear();
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table) {
        QSignalBlocker quietDesktop(txtDesktopTable_);
        txtDesktopTable_->clear();
        txtPalmDatabase_->clear();
        SSTab2_->setEnabled(false);
        for (int position : {2, 4, 5}) tableButtons_[position]->setEnabled(false);
        return;
    }
    SSTab2_->setEnabled(true);
    for (int position : {2, 4, 5}) tableButtons_[position]->setEnabled(true);
    txtDesktopTable_->setText(QString::fromStdString(table->DesktopTableName));
    txtPalmDatabase_->setText(QString::fromStdString(table->PalmDatabaseName));
    ShowSyncMethod(table->SyncMethod, table->PurgeBeforeSync);
    for (const auto& field : table->Fields()) {
        auto* row = new QTreeWidgetItem(lstFields_);
        row->setText(0, QString::fromStdString(field->FieldName));
        row->setText(1, QString::fromStdString(DataTypeName(field->DataType)));
        row->setText(2, QString::fromStdString(field->Filter));
    }
    lstFields_->setCurrentItem(nullptr);
    lstFields_->clearSelection();
}

// Shows a sync method without storing anything into the table: the option and check box
// handlers store, and the table being shown must come out of this unchanged.
void frmMain::ShowSyncMethod(int method, bool purge) {
    for (QRadioButton* option : optSync_) {
        if (!option) continue;
        QSignalBlocker quiet(option);
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    if (IsSyncOption(method)) {
        QSignalBlocker quiet(optSync_[method]);
        optSync_[method]->setChecked(true);
    }
    EnablePurgeFor(method);
    for (int index : {2, 3}) {
        QSignalBlocker quiet(chkPurge_[index]);
        chkPurge_[index]->setChecked(index == method && purge);
    }
}

void frmMain::EnablePurgeFor(int method) {
    for (int index : {2, 3}) chkPurge_[index]->setEnabled(index == method);
}

void frmMain::optSync_Click(int index) {
    if (!IsSyncOption(index)) return;
    if (!optSync_[index]->isChecked()) {
        QSignalBlocker quiet(optSync_[index]);
        optSync_[index]->setChecked(true);
    }
    EnablePurgeFor(index);
    StoreSyncMethod(index);
}

void frmMain::StoreSyncMethod(int index) {
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table) return;
    table->SyncMethod = static_cast<int16_t>(index);
    table->PurgeBeforeSync = HasPurgeBox(index) && chkPurge_[index]->isChecked();
}

void frmMain::chkPurge_Click(int index) {
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table || !HasPurgeBox(index)) return;
    table->PurgeBeforeSync = chkPurge_[index]->isChecked();
}

void frmMain::ToolBarTables_ButtonClick(int position) {
    switch (position) {
        case 1: {
            std::string name = "Desktop Table " + std::to_string(tables_->Count() + 1);
            if (tables_->InCollection(name)) {
                ShowMessageBox("",
                               "A table named " + name +
                                   " already exists. Rename it before adding another table.",
                               MessageIcon::Information);
                return;
            }
            tables_->Add(name, "", 0, false);
            RefreshTableList();
            break;
        }
        case 2: {
            if (ShowMessageBox("Remove Table", "Remove the table " + workingTable_ + "?",
                               MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
                return;
            if (lstTables_->currentItem() && tables_->InCollection(workingTable_)) {
                tables_->Remove(workingTable_);
                workingTable_.clear();
                RefreshTableList();
                SetWorkingTable("");
            }
            break;
        }
        case 4: {
            int row = lstTables_->currentRow();
            if (row > 0) {
                tables_->MoveUp(static_cast<int16_t>(row + 1));
                RefreshTableList();
            }
            break;
        }
        case 5: {
            int row = lstTables_->currentRow();
            if (row >= 0 && row < lstTables_->count() - 1) {
                tables_->MoveDown(static_cast<int16_t>(row + 1));
                RefreshTableList();
            }
            break;
        }
        default:
            break;
    }
}

void frmMain::txtDesktopTable_LostFocus() {
    if (validatingDesktopTable_ || workingTable_.empty()) return;
    validatingDesktopTable_ = true;
    std::string name = txtDesktopTable_->text().toStdString();
    if (txtDesktopTable_->text().trimmed().isEmpty()) {
        ShowMessageBox("", "You must provide a table name", MessageIcon::Information);
        txtDesktopTable_->setFocus();
    } else if (name != workingTable_) {
        RenameShownTable(name);
    }
    validatingDesktopTable_ = false;
}

void frmMain::TakePendingTableName() {
    // A name typed into the box is otherwise taken only when the focus leaves it, and a save
    // from the toolbar, a menu or the save prompt leaves the focus where it is.
    if (!workingTable_.empty() && txtDesktopTable_->text().toStdString() != workingTable_)
        txtDesktopTable_LostFocus();
}

bool frmMain::RenameShownTable(const std::string& newName) {
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table) return false;
    try {
        tables_->ChangeKey(workingTable_, newName);
    } catch (const DuplicateKeyError&) {
        // The collection counts the table's own name as taken, so a change of letter case alone
        // is refused as well.
        const bool ownName = text::FoldCase(newName) == text::FoldCase(workingTable_);
        ShowMessageBox("",
                       "The table name " + newName +
                           (ownName ? " differs from the table's name only in letter case."
                                    : " is already used by another table.") +
                           " Table names must differ in more than letter case.",
                       MessageIcon::Information);
        txtDesktopTable_->setText(QString::fromStdString(workingTable_));
        txtDesktopTable_->setFocus();
        return false;
    }
    table->DesktopTableName = newName;
    workingTable_ = newName;
    RefreshTableList();
    return true;
}

void frmMain::txtPalmDatabase_GotFocus() {
    if (txtPalmDatabase_->text().isEmpty()) {
        txtPalmDatabase_->setText(txtDesktopTable_->text().left(txtPalmDatabase_->maxLength()));
        txtPalmDatabase_->selectAll();
    }
    txtPalmDatabase_Change();
}

void frmMain::txtPalmDatabase_Change() {
    if (std::shared_ptr<clsTable> table = ShownTable())
        table->PalmDatabaseName = txtPalmDatabase_->text().toStdString();
}

int frmMain::SelectedFieldPosition() const {
    QTreeWidgetItem* row = lstFields_->currentItem();
    if (!row || !row->isSelected()) return 0;
    return lstFields_->indexOfTopLevelItem(row) + 1;
}

void frmMain::SelectFieldRow(int position) {
    QTreeWidgetItem* row = lstFields_->topLevelItem(position - 1);
    if (!row) return;
    lstFields_->setCurrentItem(row);
    row->setSelected(true);
}

void frmMain::ToolbarFields_ButtonClick(const QString& key) {
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table) return;
    try {
        if (key == "Add") {
            auto field = std::make_shared<clsField>();
            frmField editor(this);
            if (!editor.EditField(*field)) return;
            try {
                table->Fields().Append(field);
            } catch (const CollectionError&) {
                ShowMessageBox("", kFieldError, MessageIcon::Information);
            }
            SetWorkingTable(workingTable_);
        } else if (key == "Remove") {
            int position = SelectedFieldPosition();
            if (position == 0) return;
            std::string name = lstFields_->topLevelItem(position - 1)->text(0).toStdString();
            if (name.empty()) return;
            if (ShowMessageBox("", "Remove field " + name, MessageIcon::Question,
                               MessageButtons::YesNo) != MessageAnswer::Yes)
                return;
            table->Fields().Remove(name);
            SetWorkingTable(workingTable_);
        } else if (key == "MoveUp") {
            int position = SelectedFieldPosition();
            if (position < 2) return;
            table->Fields().MoveUp(static_cast<int16_t>(position));
            SetWorkingTable(workingTable_);
            SelectFieldRow(position - 1);
        } else if (key == "MoveDown") {
            int position = SelectedFieldPosition();
            if (position == 0 || position >= lstFields_->topLevelItemCount()) return;
            table->Fields().MoveDown(static_cast<int16_t>(position));
            SetWorkingTable(workingTable_);
            SelectFieldRow(position + 1);
        }
    } catch (const std::exception&) {
        // The field toolbar goes on past a failed step; the editors show what the table holds.
        SetWorkingTable(workingTable_);
    }
}

void frmMain::lstFields_DblClick() {
    QTreeWidgetItem* row = lstFields_->currentItem();
    if (row) EditFieldRow(row->text(0));
}

void frmMain::EditFieldRow(const QString& oldName) {
    std::shared_ptr<clsTable> table = ShownTable();
    if (!table) return;
    std::string old = oldName.toStdString();
    try {
        std::shared_ptr<clsField> field = table->Fields().Item(old);
        // The editor works on a copy: a name that cannot be taken must not reach the field,
        // or it would be saved under a name its table already has.
        clsField edited = *field;
        frmField editor(this);
        if (!editor.EditField(edited)) return;
        // A change of letter case alone is refused like another field's name: the collection
        // counts the field's own key as taken.
        table->Fields().ChangeKey(old, edited.FieldName);
        *field = edited;
    } catch (const std::exception&) {
        ShowMessageBox("", kFieldError, MessageIcon::Information);
    }
    SetWorkingTable(workingTable_);
}

bool frmMain::AskForDatabaseConnection() {
    while (!ConnectDesktopDatabase(connection_)) {
        MessageAnswer answer = ShowMessageBox(
            "", "A connection to the database could not be made. Check database connections?",
            MessageIcon::Question, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes) return false;
        cmdSetupConnection_Click();
    }
    return true;
}

void frmMain::cmdTableImport_Click() {
    if (!AskForDatabaseConnection()) return;
    platform::odbc::Connection* database = DesktopDatabase();
    if (!database) return;
    {
        frmImportTables dialog(*tables_, *database, this);
        if (!dialog.CatalogError().empty())
            ShowMessageBox(
                "",
                "The tables of the desktop database could not be listed:\n" + dialog.CatalogError(),
                MessageIcon::Critical);
        else
            ui::ExecModal(dialog);
    }
    RefreshTableList();
}

}  // namespace tarn::builder
