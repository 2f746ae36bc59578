#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "common/connection/ConnectionString.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStyle;

namespace tarn::platform::odbc {
class Environment;
}

namespace tarn::ui {

// The driver the dialog starts with: none in the builder, the embedded database in the conduit
// library.
inline constexpr char kBuilderDefaultDriver[] = "(None)";
inline constexpr char kConduitDefaultDriver[] = "SQLite3";

// Edits the six connection settings of a conduit, with a preview of the connection string and a
// connection test. Callers: construct it (that fills the driver list and sets the defaults),
// put the stored values in with ShowStoredSettings, call SetDataBaseSettings, and on true read
// EnteredSettings back; then destroy it.
class frmDatabaseConnection : public QDialog {
    Q_OBJECT

  public:
    // Without an environment the machine's ODBC driver manager lists the drivers and opens the
    // test connections.
    explicit frmDatabaseConnection(const QString& defaultDriver, QWidget* parent = nullptr,
                                   platform::odbc::Environment* environment = nullptr);

    // Shows the dialog modally; true when it was closed with "&Ok", false otherwise (also when
    // there is no display to show it on).
    bool SetDataBaseSettings();

    // Selects the stored driver when it is in the list (otherwise the default stays) and fills
    // the five text boxes.
    void ShowStoredSettings(const ConnectionSettings& settings);
    // The driver text and the five text boxes as they are now.
    ConnectionSettings EnteredSettings() const;

    // The outcome of the last "&Test Connection" in this dialog; nothing when none was made.
    std::optional<bool> TestConnectionStatus() const { return testConnectionStatus_; }

  signals:
    // After every "&Test Connection": whether the connection could be made. The builder enables
    // its deleted-records check on it, which runs on the connection just tested.
    void ConnectionTested(bool connected);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void Load(const QString& defaultDriver);
    void ShowDatabaseBrowsing();
    void cboDBDrivers_Click();
    void cmdServerPath_Click();
    void cmdDatabasePath_Click();
    void cmdTestConnection_Click();
    void RefreshPreview();

    platform::odbc::Environment* environment_;
    bool confirmed_ = false;
    std::optional<bool> testConnectionStatus_;

    QComboBox* cboDBDrivers_;
    QLabel* lblServer_;
    QLineEdit* txtServer_;
    QPushButton* cmdServerPath_;
    QLabel* lblDatabase_;
    QLineEdit* txtDatabase_;
    QPushButton* cmdDatabasePath_;
    QLineEdit* txtUsername_;
    QLineEdit* txtPassword_;
    QLineEdit* txtAppend_;
    QPlainTextEdit* txtPreviewConnect_;
    QPushButton* cmdTestConnection_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QStyle* passwordStyle_;
};

}  // namespace tarn::ui
