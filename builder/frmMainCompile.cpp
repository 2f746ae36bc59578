// The Compile menu: verification, local installation and removal, the installation packager.
#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <chrono>
#include <filesystem>
#include <thread>

#include "builder/ProgramFolders.h"
#include "builder/Verification.h"
#include "builder/frmMain.h"
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

void frmMain::mnuCompileCreateInstallation_Click() {
    if (!VerifyConduitSettings()) return;
    ShowMessageBox("Create Installation",
                   "Creating installation packages is not available in this version of the "
                   "builder.",
                   MessageIcon::Information);
}

}  // namespace tarn::builder
