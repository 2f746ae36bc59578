#include "builder/frmCompile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "builder/InstallerScript.h"
#include "builder/PackageCompiler.h"
#include "common/ui/ModalWindow.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MouseIcon.h"
#include "register/ComInstall.h"

namespace tarn::builder {
namespace {

using platform::ui::MessageIcon;
using platform::ui::ShowMessageBox;

PackagerPauses pauses;

constexpr char kCaption[] = "Conduit Builder";
constexpr char kFailureMessage[] = "There was an error generating the installation package";

// Waits while the window keeps repainting; the user's input waits too.
void Pause(int milliseconds) {
    if (milliseconds <= 0) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

PackagerPauses CurrentPackagerPauses() {
    return pauses;
}

void SetPackagerPauses(const PackagerPauses& newPauses) {
    pauses = newPauses;
}

frmCompile::frmCompile(const ConduitForm& form, std::string builderFolder, std::string workFolder,
                       QWidget* parent)
    : QDialog(parent),
      form_(form),
      builderFolder_(std::move(builderFolder)),
      workFolder_(std::move(workFolder)) {
    setObjectName("frmCompile");
    setWindowTitle("Compile Installation");

    auto* lblStatusCaption = new QLabel("Status:", this);
    lblStatusCaption->setObjectName("lblStatusCaption");
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName("lblStatus");
    lblStatus_->setTextFormat(Qt::PlainText);
    ProgressBar1_ = new QProgressBar(this);
    ProgressBar1_->setObjectName("ProgressBar1");
    ProgressBar1_->setRange(0, 10);
    ProgressBar1_->setValue(0);
    ProgressBar1_->setTextVisible(false);
    cmdOK_ = new QPushButton("&Ok", this);
    cmdOK_->setObjectName("cmdOK");
    connect(cmdOK_, &QPushButton::clicked, this, [this] { accept(); });
    txtNSISetup_ = new QPlainTextEdit(QString::fromStdString(ScriptTemplate()), this);
    txtNSISetup_->setObjectName("txtNSISetup");
    txtNSISetup_->setVisible(false);
    tmrCompile_ = new QTimer(this);
    tmrCompile_->setObjectName("tmrCompile");
    tmrCompile_->setSingleShot(true);
    connect(tmrCompile_, &QTimer::timeout, this, [this] { tmrCompile_Timer(); });

    auto* status = new QHBoxLayout;
    status->addWidget(lblStatusCaption);
    status->addWidget(lblStatus_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(status);
    layout->addWidget(ProgressBar1_);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(490, 184);  // 7350 by 2760 twips
}

void frmCompile::CompileInstallation() {
    cmdOK_->setVisible(false);
    tmrCompile_->start(pauses.startMs);
    SetStatus("Starting compile...");
    ui::ExecModal(*this);
    tmrCompile_->stop();
}

void frmCompile::tmrCompile_Timer() {
    tmrCompile_->stop();
    repaint();
    StartCompiler();
}

void frmCompile::SetStatus(const std::string& msg) {
    lblStatus_->setText(QString::fromStdString(msg));
    lblStatus_->repaint();
    if (ProgressBar1_->value() < ProgressBar1_->maximum())
        ProgressBar1_->setValue(ProgressBar1_->value() + 1);
    Pause(pauses.statusMs);
}

void frmCompile::RollBackProgressBar() {
    while (ProgressBar1_->value() != ProgressBar1_->minimum()) {
        ProgressBar1_->setValue(ProgressBar1_->value() - 1);
        Pause(pauses.stepBackMs);
    }
}

void frmCompile::StartCompiler() {
    Package();
    RemoveTemporaryFiles();
    finished_ = true;
    cmdOK_->setVisible(true);
}

void frmCompile::Package() {
    platform::ui::MouseIcon busy(platform::ui::kHourglassPointer);
    const std::string script = workFolder_ + kScriptFileName;
    SetStatus("Specify file name to save installation to");
    std::optional<std::string> chosen =
        platform::ui::ChooseSaveFile("", "Installation File (*.exe) | *.exe", "", "*.exe");
    if (!chosen) {
        SetStatus("Compilation cancelled due to no destination selected");
        RollBackProgressBar();
        return;
    }
    packageFile_ = *chosen;
    SetStatus("Saving to: " + packageFile_);

    // A script that cannot be written is a failure like any other, not a silent stop.
    SetStatus("Creating installation - Step 1");
    if (!WriteScriptHeader(script, HeaderFor(form_, builderFolder_, packageFile_)))
        return ReportFailure("Error compiling installation package - Step 1");
    SetStatus("Creating installation - Step 2");
    if (!AppendScriptTemplate(script))
        return ReportFailure("Error compiling installation package - Step 2");

    SetStatus("Creating installation - Step 3");
    CompileResult compiled =
        CompilePackage(CompilerCommandLine(NsisCompiler(builderFolder_), script), packageFile_);
    QCoreApplication::processEvents();
    switch (compiled.outcome) {
        case CompileOutcome::PackageBuilt:
            ProgressBar1_->setValue(ProgressBar1_->maximum());
            SetStatus("Compilation Complete - Conduit Installation Created");
            ShowMessageBox(kCaption,
                           "Installation Package \"" + packageFile_ + "\" Successfully Built",
                           MessageIcon::Information);
            return;
        case CompileOutcome::PackageNotFound:
            return ReportFailure("Installation Package not Found");
        case CompileOutcome::CompilerNotStarted:
            return ReportFailure("Error compiling installation package - Step 3");
    }
}

void frmCompile::ReportFailure(const std::string& status) {
    SetStatus(status);
    RollBackProgressBar();
    ShowMessageBox(kCaption, kFailureMessage, MessageIcon::Information);
}

void frmCompile::RemoveTemporaryFiles() {
    MComInstall::DeleteFileIfExists(workFolder_ + kScriptFileName);
    MComInstall::DeleteFileIfExists(workFolder_ + PackageConfigFileName(form_));
}

void frmCompile::reject() {
    if (finished_) QDialog::reject();
}

}  // namespace tarn::builder
