#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <string>

#include "builder/ConduitForm.h"
#include "builder/RecentFiles.h"
#include "common/connection/ConnectionString.h"
#include "common/model/clsTable.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QTreeWidget;

namespace tarn::builder {

// The builder's main window: the conduit-wide settings on three tabs, the tables with their
// settings and field mappings, and the File, Compile and Help commands. Every edit of a table
// or field goes straight into the table collection; the conduit-wide settings live in the
// boxes until a save builds a settings record from them.
//
// The handlers are public so that tests drive exactly what a click drives.
class frmMain : public QMainWindow {
    Q_OBJECT

  public:
    // Builds the window and runs its load step (recent files from the settings store, empty
    // table collection, first tabs selected, "Allow user to modify connection settings" on).
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // --- The conduit as a whole ---
    // Empties the conduit-wide boxes (not the delimiter, filter database, deleted-records table,
    // pre- and post-sync programs and the allow-modify box), the tables and the current file.
    // With bPrompt, asks first (sWarning, or "Clear current settings and create a new
    // conduit?"); on No nothing changes.
    void ClearConduitSettings(bool bPrompt = false, const std::string& sWarning = "");
    // Writes the window's settings and the tables as a description. Shows nothing.
    bool SaveConfigFile(const std::string& sFile, bool IsConfigFile);
    // Clears the window and reads a document into it. A deployment copy and a file that cannot
    // be read are refused with a message and leave the window cleared.
    bool LoadConfigFile(const std::string& sFile);

    bool TestConnectionStatus() const { return testConnectionStatus_; }
    void SetTestConnectionStatus(bool status);

    // --- Tables ---
    const std::string& WorkingTable() const { return workingTable_; }
    // Shows that table in the editors (empty: none). Never writes into the table.
    void SetWorkingTable(const std::string& name);
    void RefreshTableList();
    colTables& Tables() { return *tables_; }

    // --- File commands ---
    const std::string& CurrentFile() const { return currentFile_; }
    const RecentFiles& RecentFileList() const { return recentFiles_; }
    void OpenDocumentAtStart(const std::string& path);
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileMRUItem_Click(int index);  // index from 0: the entry shown as "&1"
    void mnuFile_Opening();

    // --- Verification and local installation ---
    bool VerifyConduitSettings();
    void InstallConduitLocally();
    void RemoveInstalledConduit();
    // Runs a dry run of the locally installed conduit on a handheld folder the user chooses and
    // shows what a HotSync would do, in the window "frmPreviewHotSync".
    void PreviewHotSync();
    void mnuCompile_Opening();
    void mnuCompileCreateInstallation_Click();

    // The folder the program runs from (deployment copies go there when it can be written);
    // tests point it elsewhere.
    const std::string& ProgramFolder() const { return programFolder_; }
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }
    // The path of the last deployment copy written for a local installation.
    std::string LocalDeploymentCopy() const;

    // The six connection settings, plain.
    const ConnectionSettings& Connection() const { return connection_; }
    void SetConnection(const ConnectionSettings& settings) { connection_ = settings; }

    // The conduit-wide boxes as they stand.
    ConduitForm FormFromWindow() const;
    void ShowForm(const ConduitForm& form);

    // --- Control handlers ---
    void tbToolBar_ButtonClick(const QString& key);
    void ToolBarTables_ButtonClick(int position);
    void ToolbarFields_ButtonClick(const QString& key);
    void lstTables_Click();
    void lstFields_DblClick();
    void cmdSetupConnection_Click();
    void cmdInstallationPath_Click();
    void cmdSignaturePath_Click();
    void cmdPreSyncExecution_Click();
    void cmdPostSyncExecution_Click();
    void cmdTableImport_Click();
    void cmdTestDeletedRecordsTable_Click();
    void txtCreatorID_LostFocus();
    void txtFieldDelimiter_LostFocus();
    void txtDesktopTable_LostFocus();
    // Takes a table name typed into "Desktop Table:" before the settings are saved or checked.
    void TakePendingTableName();
    void txtPalmDatabase_GotFocus();
    void txtPalmDatabase_Change();
    void optSync_Click(int index);
    void chkPurge_Click(int index);
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();

    // The size the window keeps: the tables frame's bottom plus the status bar and a margin
    // high, the property tabs plus their margins wide.
    QSize FixedWindowSize() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    QWidget* BuildConduitPropertiesTab();
    QWidget* BuildDesktopDatabaseTab();
    QWidget* BuildMiscellaneousTab();
    QWidget* BuildTablesFrame();
    QWidget* BuildTableSettingsTab();
    QWidget* BuildFieldMappingTab();
    void BuildMenus();
    void BuildToolbar();
    void Form_Load();

    std::shared_ptr<clsTable> ShownTable() const;
    void ShowSyncMethod(int method, bool purge);
    void EnablePurgeFor(int method);
    void StoreSyncMethod(int index);
    bool RenameShownTable(const std::string& newName);
    void EditFieldRow(const QString& oldName);
    void SelectFieldRow(int position);
    int SelectedFieldPosition() const;
    bool AskForDatabaseConnection();

    // Offers to save the open document; false when the user said yes and the save failed.
    bool PromptSaveSettings();
    // Saves the document, or says that it could not; returns whether it was saved.
    bool SaveDocument(const std::string& path);
    // Makes `path` the open document (empty: none) and names it in the caption.
    void SetCurrentFile(const std::string& path);
    void AddToMRUList(const std::string& name, const std::string& title);
    void BuildMRUMenu();
    void ShowVerificationMessage();

    // State of the window.
    std::string currentFile_;
    QString programCaption_;  // the caption with the version, before any document name
    std::string lastDialogFile_;
    ConnectionSettings connection_;
    RecentFiles recentFiles_;
    std::string workingTable_;
    bool testConnectionStatus_ = false;
    std::string packageFile_;
    std::string programFolder_;
    std::shared_ptr<colTables> tables_;
    bool validatingDesktopTable_ = false;

    // Controls.
    QTabWidget* SSTab1_;
    QLineEdit* txtConduitTitle_;
    QLineEdit* txtCreatorID_;
    QLineEdit* txtCompanyName_;
    QLineEdit* txtConduitShortName_;
    QLineEdit* txtInstallationPath_;
    QLineEdit* txtVersion_;
    QCheckBox* chkAllowModifyDatabase_;
    QLineEdit* txtFieldDelimiter_;
    QLineEdit* txtFilterDatabase_;
    QLineEdit* txtSignaturePath_;
    QLineEdit* txtDeletedRecordsTable_;
    QPushButton* cmdTestDeletedRecordsTable_;
    QLineEdit* txtPreSyncExecution_;
    QLineEdit* txtPostSyncExecution_;

    QGroupBox* Frame1_;
    QListWidget* lstTables_;
    QToolBar* ToolBarTables_;
    std::array<QAction*, 6> tableButtons_{};  // by position 1 to 5
    QTabWidget* SSTab2_;
    QLineEdit* txtDesktopTable_;
    QLineEdit* txtPalmDatabase_;
    std::array<QRadioButton*, 7> optSync_{};  // by sync method code: 0, 2, 3, 6
    std::array<QCheckBox*, 4> chkPurge_{};    // 2 and 3
    QTreeWidget* lstFields_;
    QToolBar* ToolbarFields_;

    QToolBar* tbToolBar_;
    QStatusBar* sbStatusBar_;
    QAction* mnuFileSave_;
    std::array<QAction*, RecentFiles::kMaxEntries> mnuFileMRUItem_{};
    QAction* mnuFileMRUSep_;
    QAction* mnuCompilerVerifySettings_;
    QAction* mnuCompileInstallLocally_;
    QAction* mnuCompileRemoveConduitLocally_;
    QAction* mnuCompilePreviewHotSync_;
    QAction* mnuCompileCreateInstallation_;
};

}  // namespace tarn::builder
