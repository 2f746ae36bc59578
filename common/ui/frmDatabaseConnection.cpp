#include "common/ui/frmDatabaseConnection.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>

#include "common/connection/ConnectionTest.h"
#include "common/connection/DriverList.h"
#include "common/ui/ListControls.h"
#include "common/ui/ModalWindow.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

namespace tarn::ui {
namespace {

// Messages of the connection test carry the builder's name in both programs.
constexpr char kMessageTitle[] = "Conduit Builder";

// Password boxes show one "*" per character, whatever the desktop style would use.
class StarPasswordStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel* AddLabel(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* AddTextBox(QWidget* parent, const char* name, const char* tip) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setToolTip(tip);
    return box;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// A browse button shown for some drivers only. It keeps its room when hidden, so the boxes do
// not jump when the driver changes.
QPushButton* AddBrowseButton(QWidget* parent, const char* name, const char* caption) {
    QPushButton* button = AddButton(parent, name, caption);
    QSizePolicy keepRoom = button->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    button->setSizePolicy(keepRoom);
    button->setVisible(false);
    return button;
}

}  // namespace

frmDatabaseConnection::frmDatabaseConnection(const QString& defaultDriver, QWidget* parent,
                                             platform::odbc::Environment* environment)
    : QDialog(parent), environment_(environment) {
    BuildControls();
    Load(defaultDriver);
}

void frmDatabaseConnection::BuildControls() {
    setObjectName("frmDatabaseConnection");
    setWindowTitle("Database Connection Configuration");

    cboDBDrivers_ = new QComboBox(this);
    cboDBDrivers_->setObjectName("cboDBDrivers");
    cboDBDrivers_->setEditable(true);
    // Typed text is the driver name as it is; it must not become a list entry.
    cboDBDrivers_->setInsertPolicy(QComboBox::NoInsert);
    cboDBDrivers_->setToolTip(
        "Database driver to be used. It must also be installed on the client workstation.");

    lblServer_ = AddLabel(this, "lblServer", "Server/Path:");
    txtServer_ =
        AddTextBox(this, "txtServer",
                   "Either a path and filename to a database or an IP address or servername.");
    cmdServerPath_ = AddBrowseButton(this, "cmdServerPath", "&Path...");

    lblDatabase_ = AddLabel(this, "lblDatabase", "Database:");
    txtDatabase_ =
        AddTextBox(this, "txtDatabase",
                   "The name of the database on the specified database server of database file.");
    cmdDatabasePath_ = AddBrowseButton(this, "cmdDatabasePath", "&Browse...");
    txtUsername_ = AddTextBox(this, "txtUsername", "A username to access the database if required");
    txtPassword_ = AddTextBox(this, "txtPassword", "A password to access the database if required");
    txtPassword_->setEchoMode(QLineEdit::Password);
    passwordStyle_ = new StarPasswordStyle;
    passwordStyle_->setParent(this);
    txtPassword_->setStyle(passwordStyle_);
    txtAppend_ =
        AddTextBox(this, "txtAppend",
                   "You can append or override settings for the database connection string.");

    txtPreviewConnect_ = new QPlainTextEdit(this);
    txtPreviewConnect_->setObjectName("txtPreviewConnect");
    txtPreviewConnect_->setReadOnly(true);
    txtPreviewConnect_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtPreviewConnect_->setToolTip(
        "A preview window of the connection string. The password will be hidden.");
    txtPreviewConnect_->setFixedHeight(txtPreviewConnect_->fontMetrics().lineSpacing() * 3 + 12);
    txtPreviewConnect_->setTabChangesFocus(true);

    cmdTestConnection_ = AddButton(this, "cmdTestConnection", "&Test Connection");
    cmdTestConnection_->setEnabled(false);
    cmdOK_ = AddButton(this, "cmdOK", "&Ok");
    cmdOK_->setDefault(true);
    cmdCancel_ = AddButton(this, "cmdCancel", "&Cancel");

    auto* grid = new QGridLayout;
    grid->addWidget(AddLabel(this, "lblDBDrivers", "Database Driver:"), 0, 0);
    grid->addWidget(cboDBDrivers_, 0, 1, 1, 2);
    grid->addWidget(lblServer_, 1, 0);
    grid->addWidget(txtServer_, 1, 1);
    grid->addWidget(cmdServerPath_, 1, 2);
    grid->addWidget(lblDatabase_, 2, 0);
    grid->addWidget(txtDatabase_, 2, 1);
    grid->addWidget(cmdDatabasePath_, 2, 2);
    grid->addWidget(AddLabel(this, "lblUsername", "Username:"), 3, 0);
    grid->addWidget(txtUsername_, 3, 1, 1, 2);
    grid->addWidget(AddLabel(this, "lblPassword", "Password:"), 4, 0);
    grid->addWidget(txtPassword_, 4, 1, 1, 2);
    grid->addWidget(AddLabel(this, "lblAppend", "Append String:"), 5, 0);
    grid->addWidget(txtAppend_, 5, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdTestConnection_);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    auto* page = new QVBoxLayout(this);
    page->addLayout(grid);
    page->addSpacing(6);
    page->addWidget(AddLabel(this, "lblPreviewConnect", "Preview Connection String:"));
    page->addWidget(txtPreviewConnect_);
    page->addSpacing(6);
    page->addLayout(buttons);
    setMinimumWidth(480);

    connect(cboDBDrivers_, &QComboBox::activated, this, [this] { cboDBDrivers_Click(); });
    connect(cmdServerPath_, &QPushButton::clicked, this, [this] { cmdServerPath_Click(); });
    connect(cmdDatabasePath_, &QPushButton::clicked, this, [this] { cmdDatabasePath_Click(); });
    connect(cmdTestConnection_, &QPushButton::clicked, this, [this] { cmdTestConnection_Click(); });
    connect(cmdOK_, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { reject(); });
    for (QLineEdit* box : {txtServer_, txtDatabase_, txtUsername_, txtPassword_, txtAppend_})
        connect(box, &QLineEdit::textEdited, this, [this] { RefreshPreview(); });
}

void frmDatabaseConnection::Load(const QString& defaultDriver) {
    FillDriverList(*cboDBDrivers_, environment_);
    cboDBDrivers_->setCurrentText(kNoDriver);
    txtServer_->clear();
    txtDatabase_->clear();
    txtUsername_->clear();
    txtPassword_->clear();
    cboDBDrivers_->setCurrentText(defaultDriver);
    ShowDatabaseBrowsing();
    // The driver is part of the previewed string, whether chosen from the list or typed.
    connect(cboDBDrivers_, &QComboBox::currentTextChanged, this, [this] {
        ShowDatabaseBrowsing();
        RefreshPreview();
    });
}

void frmDatabaseConnection::ShowDatabaseBrowsing() {
    cmdDatabasePath_->setVisible(
        DriverOpensDatabaseFile(cboDBDrivers_->currentText().toStdString()));
}

bool frmDatabaseConnection::SetDataBaseSettings() {
    confirmed_ = false;
    ExecModal(*this);
    return confirmed_;
}

void frmDatabaseConnection::ShowStoredSettings(const ConnectionSettings& settings) {
    SelectListItem(*cboDBDrivers_, QString::fromStdString(settings.Driver));
    txtServer_->setText(QString::fromStdString(settings.Server));
    txtDatabase_->setText(QString::fromStdString(settings.Database));
    txtUsername_->setText(QString::fromStdString(settings.Username));
    txtPassword_->setText(QString::fromStdString(settings.Password));
    txtAppend_->setText(QString::fromStdString(settings.Append));
}

ConnectionSettings frmDatabaseConnection::EnteredSettings() const {
    return {cboDBDrivers_->currentText().toStdString(), txtServer_->text().toStdString(),
            txtDatabase_->text().toStdString(),         txtUsername_->text().toStdString(),
            txtPassword_->text().toStdString(),         txtAppend_->text().toStdString()};
}

void frmDatabaseConnection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RefreshPreview();
}

void frmDatabaseConnection::cboDBDrivers_Click() {
    if (IsFileBasedDriver(cboDBDrivers_->currentText().toStdString())) {
        lblServer_->setText("Database File:");
        cmdServerPath_->setVisible(true);
        lblDatabase_->setEnabled(false);
        txtDatabase_->setEnabled(false);
        txtDatabase_->clear();
    } else {
        lblServer_->setText("Server Name:");
        cmdServerPath_->setVisible(false);
        lblDatabase_->setEnabled(true);
        txtDatabase_->setEnabled(true);
    }
    RefreshPreview();
}

void frmDatabaseConnection::cmdServerPath_Click() {
    std::string driver = cboDBDrivers_->currentText().toStdString();
    std::optional<std::string> file =
        platform::ui::ChooseOpenFile("", ServerFileFilter(driver), "");
    if (file) txtServer_->setText(QString::fromStdString(*file));
    RefreshPreview();
}

void frmDatabaseConnection::cmdDatabasePath_Click() {
    std::optional<std::string> file =
        platform::ui::ChooseOpenFile("", DatabaseFileFilter(), txtDatabase_->text().toStdString());
    if (file) txtDatabase_->setText(QString::fromStdString(*file));
    RefreshPreview();
}

void frmDatabaseConnection::cmdTestConnection_Click() {
    bool connected = environment_ ? TestConnectionSettings(*environment_, EnteredSettings())
                                  : TestConnectionSettings(EnteredSettings());
    if (connected) {
        platform::ui::ShowMessageBox(kMessageTitle, "Successful Connection",
                                     platform::ui::MessageIcon::Information);
    } else {
        platform::ui::ShowMessageBox(kMessageTitle,
                                     "The connection failed\r\n" + LastConnectionTestError(),
                                     platform::ui::MessageIcon::Critical);
    }
    testConnectionStatus_ = connected;
    emit ConnectionTested(connected);
}

void frmDatabaseConnection::RefreshPreview() {
    cmdTestConnection_->setEnabled(true);
    txtPreviewConnect_->setPlainText(
        QString::fromStdString(BuildConnectionString(EnteredSettings(), true)));
}

}  // namespace tarn::ui
