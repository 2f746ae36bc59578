// The File menu: New, Open, Save, Save As, the recent files and the save prompt.
#include <QAction>
#include <QLineEdit>
#include <filesystem>
#include <system_error>

#include "builder/frmMain.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

namespace tarn::builder {

using platform::ui::MessageAnswer;
using platform::ui::MessageButtons;
using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

namespace {

constexpr char kDocumentFilter[] = "Tarn Conduit Config (*.tcf) | *.tcf";
constexpr char kDocumentExtension[] = "*.tcf";

}  // namespace

bool frmMain::PromptSaveSettings() {
    if (currentFile_.empty()) return true;
    if (ShowMessageBox("", "Save the current settings?", MessageIcon::Question,
                       MessageButtons::YesNo) != MessageAnswer::Yes)
        return true;
    return SaveDocument(currentFile_);
}

bool frmMain::SaveDocument(const std::string& path) {
    if (SaveConfigFile(path, true)) return true;
    // The document on screen is then all there is: whatever was to follow the save (a new
    // document, another one, closing) must not throw it away.
    ShowMessageBox("", "There was an error saving the config file", MessageIcon::Critical);
    return false;
}

void frmMain::mnuFileNew_Click() {
    if (!PromptSaveSettings()) return;
    ClearConduitSettings(true);
    SSTab1_->setCurrentIndex(0);
    txtCompanyName_->setFocus();
}

void frmMain::mnuFileOpen_Click() {
    if (!PromptSaveSettings()) return;
    auto chosen =
        platform::ui::ChooseOpenFile("", kDocumentFilter, lastDialogFile_, kDocumentExtension);
    if (!chosen) return;
    lastDialogFile_ = *chosen;
    if (LoadConfigFile(*chosen)) {
        SetCurrentFile(*chosen);
        AddToMRUList(*chosen, *chosen);
    } else {
        lastDialogFile_.clear();
    }
}

void frmMain::mnuFileSave_Click() {
    if (currentFile_.empty()) return;
    SaveDocument(currentFile_);
}

void frmMain::mnuFileSaveAs_Click() {
    auto chosen =
        platform::ui::ChooseSaveFile("", kDocumentFilter, currentFile_, kDocumentExtension);
    if (!chosen || !SaveDocument(*chosen)) return;
    AddToMRUList(*chosen, *chosen);
    SetCurrentFile(*chosen);
}

void frmMain::mnuFileMRUItem_Click(int index) {
    if (!PromptSaveSettings()) return;
    if (index < 0 || index >= recentFiles_.Count()) return;
    std::string title = recentFiles_.Title(index);
    std::error_code ec;
    if (!std::filesystem::exists(title, ec)) {
        ShowMessageBox("", "File not found", MessageIcon::Information);
        return;
    }
    if (LoadConfigFile(title)) SetCurrentFile(title);
}

void frmMain::mnuFile_Opening() {
    if (!currentFile_.empty()) {
        mnuFileSave_->setEnabled(true);
        mnuFileSave_->setText(QString::fromStdString("&Save (" + currentFile_ + ")"));
    } else {
        mnuFileSave_->setEnabled(false);
    }
}

void frmMain::OpenDocumentAtStart(const std::string& path) {
    if (LoadConfigFile(path)) SetCurrentFile(path);
}

void frmMain::SetCurrentFile(const std::string& path) {
    currentFile_ = path;
    // The caption names the open document after the program and its version.
    QString caption = programCaption_;
    if (!path.empty())
        caption += " - " + QString::fromStdString(std::filesystem::path(path).filename().string());
    setWindowTitle(caption);
}

void frmMain::AddToMRUList(const std::string& name, const std::string& title) {
    recentFiles_.Add(name, title);
    SaveRecentFiles(recentFiles_);
    BuildMRUMenu();
}

void frmMain::BuildMRUMenu() {
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
        bool filled = i < recentFiles_.Count();
        if (filled)
            mnuFileMRUItem_[i]->setText(
                QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(recentFiles_.Title(i))));
        mnuFileMRUItem_[i]->setVisible(filled);
    }
    mnuFileMRUSep_->setVisible(recentFiles_.Count() > 0);
}

}  // namespace tarn::builder
