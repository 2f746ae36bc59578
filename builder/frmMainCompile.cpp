// The Compile menu: verification, local installation and removal, the installation packager.
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QVBoxLayout>
#include <chrono>
#include <filesystem>
#include <thread>

#include "builder/InstallerScript.h"
#include "builder/PackageDeploymentCopy.h"
#include "builder/ProgramFolders.h"
#include "builder/Verification.h"
#include "builder/frmCompile.h"
#include "builder/frmMain.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MouseIcon.h"
#include "register/ComInstall.h"

namespace tarn::builder {

using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

bool frmMain::VerifyConduitSettings() {
    TakePendingTableName();
    platform::ui::MouseIcon busy(platform::ui::kHourglassPointer);
    Verification result = VerifyConduit(FormFromWindow(), *tables_);
    QLineEdit* box = nullptr;
    switch (result.box) {
        case VerifiedBox::InstallationPath:
            box = txtInstallationPath_;
            break;
        case VerifiedBox::Version:
            box = txtVersion_;
            break;
        case VerifiedBox::CreatorID:
            box = txtCreatorID_;
            break;
        case VerifiedBox::ConduitShortName:
            box = txtConduitShortName_;
            break;
        case VerifiedBox::ConduitTitle:
            box = txtConduitTitle_;
            break;
        case VerifiedBox::CompanyName:
            box = txtCompanyName_;
            break;
        case VerifiedBox::None:
            break;
    }
    if (box) {
        SSTab1_->setCurrentIndex(0);
        box->setFocus();
    }
    if (result.valid()) return true;
    ShowMessageBox("", result.message, MessageIcon::Critical);
    return false;
}

void frmMain::ShowVerificationMessage() {
    if (VerifyConduitSettings())
        ShowMessageBox("", "Tarn Conduit settings appear valid.", MessageIcon::Information);
}

void frmMain::mnuCompile_Opening() {
    CompileMenuState state = CompileMenuFor(
        txtCreatorID_->text().toStdString(),
        [](const std::string& creatorId) { return MComInstall::IsConduitRegistered(creatorId); });
    mnuCompilerVerifySettings_->setEnabled(state.verify);
    mnuCompileInstallLocally_->setEnabled(state.install);
    mnuCompileRemoveConduitLocally_->setEnabled(state.remove);
    // Only an installed conduit can be run by the HotSync manager.
    mnuCompilePreviewHotSync_->setEnabled(state.remove);
    mnuCompileCreateInstallation_->setEnabled(state.createInstallation);
}

std::string frmMain::LocalDeploymentCopy() const {
    std::string folder = DeploymentFolder(programFolder_);
    return folder.empty() ? "" : folder + txtCreatorID_->text().toStdString() + ".cfg";
}

void frmMain::InstallConduitLocally() {
    if (!VerifyConduitSettings()) return;
    std::string folder = DeploymentFolder(programFolder_);
    std::string file = txtCreatorID_->text().toStdString() + ".cfg";
    if (folder.empty() || !SaveConfigFile(folder + file, false)) {
        ShowMessageBox("", "There was an error saving the config file", MessageIcon::Critical);
        return;
    }
    if (MComInstall::RegisterConduit(txtCreatorID_->text().toStdString(),
                                     txtConduitTitle_->text().toStdString(), file, folder))
        ShowMessageBox("", "Conduit has been registered", MessageIcon::Information);
    else
        ShowMessageBox("", "Conduit could not be registered", MessageIcon::Critical);
}

void frmMain::RemoveInstalledConduit() {
    std::string creatorId = txtCreatorID_->text().toStdString();
    if (ShowMessageBox("Remove Conduit", "Remove conduit with Creator ID: " + creatorId,
                       MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    std::string folder = DeploymentFolder(programFolder_);
    if (!MComInstall::UnregisterConduit(creatorId)) return;
    // Give a HotSync manager that still reads the file a moment to let go of it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    if (!folder.empty()) MComInstall::DeleteFileIfExists(folder + creatorId + ".cfg");
    ShowMessageBox("Remove Conduit", "Conduit has been unregistered", MessageIcon::Information);
}

namespace {

// The HotSync host installed beside this program, else the one the search path finds.
QString HotSyncProgram() {
    const std::string beside = ExecutableFolder() + "hotsync";
    return QString::fromStdString(std::filesystem::exists(beside) ? beside : "hotsync");
}

void ShowPreview(QWidget* parent, const QString& text) {
    auto* window = new QDialog(parent);
    window->setObjectName("frmPreviewHotSync");
    window->setWindowTitle("Preview HotSync");
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* output = new QPlainTextEdit(text, window);
    output->setObjectName("txtPreviewOutput");
    output->setReadOnly(true);
    output->setLineWrapMode(QPlainTextEdit::NoWrap);
    output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(output);
    layout->addWidget(buttons);
    window->resize(760, 420);
    window->show();
}

}  // namespace

void frmMain::PreviewHotSync() {
    const std::string creatorId = txtCreatorID_->text().toStdString();
    std::optional<std::string> folder =
        platform::ui::BrowseForFolder("Choose the handheld folder to preview a HotSync of");
    if (!folder) return;
    QProcess hotsync;
    hotsync.setProgram(HotSyncProgram());
    hotsync.setArguments({"sync", "--dry-run", "--handheld", QString::fromStdString(*folder),
                          "--creator", QString::fromStdString(creatorId)});
    // The reasons a conduit did not complete come on standard error; show them with the log.
    hotsync.setProcessChannelMode(QProcess::MergedChannels);
    {
        platform::ui::MouseIcon busy(platform::ui::kHourglassPointer);
        hotsync.start();
        if (!hotsync.waitForStarted() || !hotsync.waitForFinished(-1)) {
            ShowMessageBox("Preview HotSync",
                           "The HotSync program " + hotsync.program().toStdString() +
                               " could not be run: " + hotsync.errorString().toStdString(),
                           MessageIcon::Critical);
            return;
        }
    }
    QString text = QString::fromUtf8(hotsync.readAll());
    if (hotsync.exitStatus() != QProcess::NormalExit || hotsync.exitCode() != 0)
        text += "\nThe preview did not complete (exit status " +
                QString::number(hotsync.exitCode()) + "); nothing was written.\n";
    ShowPreview(this, text);
}

void frmMain::mnuCompileCreateInstallation_Click() {
    if (!VerifyConduitSettings()) return;
    const ConduitForm form = FormFromWindow();
    const std::string folder = DeploymentFolder(programFolder_);
    if (folder.empty()) {
        ShowMessageBox("", "There was an error saving the config file", MessageIcon::Critical);
        return;
    }
    PackageDeploymentCopy copy(folder + PackageConfigFileName(form));
    // A copy that was not written makes the compiler fail, which the packager reports.
    SaveConfigFile(copy.Path(), false);
    frmCompile packager(form, programFolder_, folder, this);
    packager.CompileInstallation();
    if (!packager.PackageFile().empty()) packageFile_ = packager.PackageFile();
}

}  // namespace tarn::builder
