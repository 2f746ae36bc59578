// The conduit-wide settings of the main window: clearing, saving, loading, the connection, the
// pickers, the main toolbar and the small behaviours of the property boxes.
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QUrl>
#include <exception>

#include "builder/DesktopDatabase.h"
#include "builder/DocumentFile.h"
#include "builder/ProgramFolders.h"
#include "builder/frmMain.h"
#include "builder/frmSplash.h"
#include "common/config/ConfigFile.h"
#include "common/connection/ConnectionTest.h"
#include "common/ui/frmDatabaseConnection.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

namespace tarn::builder {

using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

namespace {

std::string Text(const QLineEdit* box) {
    return box->text().toStdString();
}

void SetText(QLineEdit* box, const std::string& text) {
    box->setText(QString::fromStdString(text));
}

}  // namespace

ConduitForm frmMain::FormFromWindow() const {
    ConduitForm form;
    form.CompanyName = Text(txtCompanyName_);
    form.ConduitTitle = Text(txtConduitTitle_);
    form.CreatorID = Text(txtCreatorID_);
    form.ConduitShortName = Text(txtConduitShortName_);
    form.InstallationPath = Text(txtInstallationPath_);
    form.Version = Text(txtVersion_);
    form.SignaturePath = Text(txtSignaturePath_);
    form.PreSyncExecution = Text(txtPreSyncExecution_);
    form.PostSyncExecution = Text(txtPostSyncExecution_);
    form.FilterDatabase = Text(txtFilterDatabase_);
    form.AllowModifyDatabase = chkAllowModifyDatabase_->isChecked();
    form.Connection = connection_;
    return form;
}

void frmMain::ShowForm(const ConduitForm& form) {
    SetText(txtCompanyName_, form.CompanyName);
    SetText(txtConduitTitle_, form.ConduitTitle);
    SetText(txtCreatorID_, form.CreatorID);
    SetText(txtConduitShortName_, form.ConduitShortName);
    SetText(txtInstallationPath_, form.InstallationPath);
    SetText(txtVersion_, form.Version);
    SetText(txtSignaturePath_, form.SignaturePath);
    SetText(txtPreSyncExecution_, form.PreSyncExecution);
    SetText(txtPostSyncExecution_, form.PostSyncExecution);
    SetText(txtFilterDatabase_, form.FilterDatabase);
    chkAllowModifyDatabase_->setChecked(form.AllowModifyDatabase);
    connection_ = form.Connection;
}

void frmMain::ClearConduitSettings(bool bPrompt, const std::string& sWarning) {
    if (bPrompt) {
        std::string question =
            sWarning.empty() ? "Clear current settings and create a new conduit?" : sWarning;
        if (ShowMessageBox("", question, MessageIcon::Question, MessageButtons::YesNo) !=
            MessageAnswer::Yes)
            return;
    }
    for (QLineEdit* box : {txtCompanyName_, txtConduitTitle_, txtConduitShortName_, txtCreatorID_,
                           txtVersion_, txtSignaturePath_, txtInstallationPath_})
        box->clear();
    SetCurrentFile("");
    tables_ = std::make_shared<colTables>();
    workingTable_.clear();
    RefreshTableList();
    SetWorkingTable("");
    packageFile_.clear();
    SetTestConnectionStatus(false);
    connection_ = ConnectionSettings{};
    ShowSyncMethod(0, false);
}

bool frmMain::SaveConfigFile(const std::string& sFile, bool IsConfigFile) {
    TakePendingTableName();
    ConduitSettings settings = SettingsFromForm(FormFromWindow(), IsConfigFile, tables_->Count());
    return WriteConfigFile(sFile, settings, *tables_);
}

bool frmMain::LoadConfigFile(const std::string& sFile) {
    ClearConduitSettings(false);
    ConduitSettings settings;
    auto tables = std::make_shared<colTables>();
    DocumentRead outcome = DocumentRead::Unreadable;
    try {
        outcome = ReadDocument(sFile, settings, *tables);
    } catch (const std::exception&) {
        outcome = DocumentRead::Unreadable;
    }
    if (outcome == DocumentRead::DeploymentCopy) {
        ShowMessageBox("Load Error", "This is an invalid Tarn Conduit configuration file",
                       MessageIcon::Information);
        return false;
    }
    if (outcome == DocumentRead::Unreadable) {
        // Saying nothing here would leave the user with an empty window and no reason.
        ShowMessageBox("", "There was an error loading the configuration file",
                       MessageIcon::Critical);
        ClearConduitSettings(false);
        return false;
    }
    tables_ = tables;
    ShowForm(FormFromSettings(settings));
    RefreshTableList();
    return true;
}

void frmMain::cmdSetupConnection_Click() {
    ui::frmDatabaseConnection dialog(ui::kBuilderDefaultDriver, this);
    // A test in the dialog counts like the toolbar's: "&Check Table" uses the connection it made.
    connect(&dialog, &ui::frmDatabaseConnection::ConnectionTested, this,
            [this](bool connected) { SetTestConnectionStatus(connected); });
    dialog.ShowStoredSettings(connection_);
    if (dialog.SetDataBaseSettings()) connection_ = dialog.EnteredSettings();
}

void frmMain::cmdInstallationPath_Click() {
    // A cancelled browser keeps the path there was.
    if (auto folder = platform::ui::BrowseForFolder("Select the installation path"))
        txtInstallationPath_->setText(QString::fromStdString(*folder));
}

void frmMain::cmdSignaturePath_Click() {
    if (auto folder = platform::ui::BrowseForFolder("Select the destination for signature files"))
        txtSignaturePath_->setText(QString::fromStdString(*folder));
}

namespace {

// Programs here rarely end in ".exe", so every file can be chosen as well.
constexpr char kProgramFilter[] = "Executable Program | *.exe|All Files | *";

}  // namespace

void frmMain::cmdPreSyncExecution_Click() {
    auto program = platform::ui::ChooseOpenFile("", kProgramFilter, "", "*.exe");
    if (program) txtPreSyncExecution_->setText(QString::fromStdString(*program));
}

void frmMain::cmdPostSyncExecution_Click() {
    auto program = platform::ui::ChooseOpenFile("", kProgramFilter, "", "*.exe");
    if (program) txtPostSyncExecution_->setText(QString::fromStdString(*program));
}

void frmMain::tbToolBar_ButtonClick(const QString& key) {
    try {
        if (key == "New") {
            mnuFileNew_Click();
        } else if (key == "Open") {
            mnuFileOpen_Click();
        } else if (key == "Save") {
            if (!currentFile_.empty())
                mnuFileSave_Click();
            else
                mnuFileSaveAs_Click();
        } else if (key == "Verify") {
            ShowVerificationMessage();
        } else if (key == "TestDatabase") {
            if (ConnectDesktopDatabase(connection_)) {
                ShowMessageBox("Conduit Builder", "Successful Connection",
                               MessageIcon::Information);
                SetTestConnectionStatus(true);
            } else {
                ShowMessageBox("Conduit Builder",
                               "The connection failed\n" + LastConnectionTestError(),
                               MessageIcon::Critical);
                SetTestConnectionStatus(false);
            }
        } else if (key == "CreateInstall") {
            mnuCompileCreateInstallation_Click();
        }
    } catch (const std::exception&) {
        // A toolbar command that fails leaves the window as it is.
    }
}

void frmMain::mnuHelpContents_Click() {
    std::string page = HelpPagePath(programFolder_);
    if (page.empty()) page = HelpPagePath(ExecutableFolder());
    if (page.empty() ||
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page))))
        ShowMessageBox("", "The help page TarnConduit.html could not be opened",
                       MessageIcon::Information);
}

void frmMain::mnuHelpAbout_Click() {
    frmSplash about(this);
    about.AboutScreen();
}

void frmMain::txtCreatorID_LostFocus() {
    if (txtFilterDatabase_->text().isEmpty())
        txtFilterDatabase_->setText("TarnCFitler-" + txtCreatorID_->text());
}

void frmMain::txtFieldDelimiter_LostFocus() {
    if (!txtFieldDelimiter_->text().trimmed().isEmpty()) return;
    MessageAnswer answer = ShowMessageBox("",
                                          "You must specify a field delimiter. A double quote is "
                                          "the default. Do you want to use a double quote?",
                                          MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes)
        txtFieldDelimiter_->setText("\"");
    else
        txtFieldDelimiter_->setFocus();
}

void frmMain::cmdTestDeletedRecordsTable_Click() {
    if (!DeletedRecordsTableWorks(Text(txtDeletedRecordsTable_)))
        ShowMessageBox("", "Deleted Record Table not found or misconfigured");
}

}  // namespace tarn::builder
