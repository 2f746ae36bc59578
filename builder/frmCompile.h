#pragma once

#include <QDialog>
#include <string>

#include "builder/ConduitForm.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tarn::builder {

// The fixed pauses of the packager window: the wait before packaging starts, after each status
// line and for each step the progress bar runs back. Tests shorten them.
struct PackagerPauses {
    int startMs = 1000;
    int statusMs = 500;
    int stepBackMs = 250;
};
PackagerPauses CurrentPackagerPauses();
void SetPackagerPauses(const PackagerPauses& pauses);

// "Compile Installation": asks where the package goes, writes the NSIS script beside the
// deployment copy of the description and runs the NSIS compiler on it, telling each step in a
// status line. One packaging per opening; the script and the deployment copy are gone
// afterwards, whatever happened.
class frmCompile : public QDialog {
    Q_OBJECT

  public:
    // `builderFolder` holds the Windows files to pack (and maybe the compiler); `workFolder`
    // holds the deployment copy and receives the script. Both end in "/".
    frmCompile(const ConduitForm& form, std::string builderFolder, std::string workFolder,
               QWidget* parent = nullptr);

    // Shows the packager modally; returns when the user has closed it with "&Ok".
    void CompileInstallation();
    // The packaging run, started by the window's timer.
    void StartCompiler();
    // Shows a status line, advances the progress bar and pauses.
    void SetStatus(const std::string& msg);
    // Runs the progress bar back to its minimum, a step at a time.
    void RollBackProgressBar();

    // The package path the user chose; empty when the save dialog was cancelled.
    const std::string& PackageFile() const { return packageFile_; }

  protected:
    // The run cannot be left half done: closing is only possible once it is finished.
    void reject() override;

  private:
    void tmrCompile_Timer();
    // The steps from the save dialog to the compiler's outcome.
    void Package();
    // Ends a run that did not build the package: status line, progress back, message.
    void ReportFailure(const std::string& status);
    void RemoveTemporaryFiles();

    ConduitForm form_;
    std::string builderFolder_;
    std::string workFolder_;
    std::string packageFile_;
    bool finished_ = false;

    QLabel* lblStatus_;
    QProgressBar* ProgressBar1_;
    QPushButton* cmdOK_;
    QTimer* tmrCompile_;
    QPlainTextEdit* txtNSISetup_;
};

}  // namespace tarn::builder
