#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace tarn::conduit {

struct ModuleState;

// The conduit's configuration window: which conduit this is, and, when its author allowed it,
// the desktop database connection. Works on the conduit library's module state and keeps
// nothing of its own; constructing it reads the configuration file anew.
class frmMain : public QDialog {
    Q_OBJECT

  public:
    explicit frmMain(ModuleState& state, QWidget* parent = nullptr);

    // Whether "&Ok" wrote the file during this showing.
    bool FileWritten() const { return fileWritten_; }

  private:
    void BuildControls();
    void Load();
    void FitConduitTitle();
    void cmdManageConnection_Click();
    void cmdDebug_Click();
    void cmdOK_Click();

    ModuleState& state_;
    bool readFailed_ = false;
    bool fileMissing_ = false;  // the file could not even be opened
    std::string readError_;
    bool fileWritten_ = false;

    QLabel* lblCompanyName_;
    QLabel* lblConduitTitle_;
    QLabel* lblVersion_;
    QLabel* lblEngineVersion_;
    QPushButton* cmdManageConnection_;
};

}  // namespace tarn::conduit
