#include "conduit/ui/frmMain.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "common/ui/frmDatabaseConnection.h"
#include "conduit/log/DebugLevel.h"
#include "conduit/sync/ModuleState.h"
#include "platform/files/AtomicFile.h"
#include "platform/ui/MessageBox.h"
#include "tarn/Version.h"

namespace tarn::conduit {
namespace {

constexpr char kTitle[] = "Conduit Configuration";

// The window was laid out in twips (15 to a pixel) for the small system font of its time;
// everything grows with today's larger fonts, enough for the longest fixed caption to fit the
// 1560 twips between Label1 and lblEngineVersion.
class Twips {
  public:
    explicit Twips(const QWidget& widget) : scale_(Scale(QFontMetrics(widget.font()))) {}
    int operator()(int twips) const { return int(std::lround(twips / 15.0 * scale_)); }
    QRect Rect(int left, int top, int width, int height) const {
        return QRect((*this)(left), (*this)(top), (*this)(width), (*this)(height));
    }

  private:
    static double Scale(const QFontMetrics& font) {
        double byHeight = font.height() / 13.0;
        double byLabel = (font.horizontalAdvance("Tarn Conduit Engine:") + 6) / (1560 / 15.0);
        return std::max({1.0, byHeight, byLabel});
    }

    double scale_;
};

// Designed client area 5730 by 3465; on load the window is set to 3000 high, outer size, which
// leaves about 2610 for the client area and hides the Debug button below it.
constexpr int kClientWidth = 5730;
constexpr int kClientHeight = 3465;
constexpr int kLoadedClientHeight = 2610;

QLabel* AddLabel(QWidget* parent, const char* name, const Twips& twips, int left, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(twips.Rect(left, top, kClientWidth - left - 120, 255));
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

std::string Plain(const std::string& scrambled) {
    return DescrambleString(scrambled);
}

}  // namespace

frmMain::frmMain(ModuleState& state, QWidget* parent) : QDialog(parent), state_(state) {
    BuildControls();
    Load();
}

void frmMain::BuildControls() {
    setObjectName("frmMain");
    setWindowTitle(kTitle);
    Twips twips(*this);

    lblConduitTitle_ = AddLabel(this, "lblConduitTitle", twips, 120, 120);
    QFont bold = lblConduitTitle_->font();
    bold.setBold(true);
    lblConduitTitle_->setFont(bold);
    lblCompanyName_ = AddLabel(this, "lblCompanyName", twips, 120, 480);
    lblVersion_ = AddLabel(this, "lblVersion", twips, 120, 720);
    cmdManageConnection_ =
        AddButton(this, "cmdManageConnection", "Data&source ...", twips.Rect(120, 1080, 1215, 375));
    auto* ok = AddButton(this, "cmdOK", "&Ok", twips.Rect(2880, 1920, 1215, 375));
    ok->setDefault(true);
    auto* cancel = AddButton(this, "cmdCancel", "&Cancel", twips.Rect(4320, 1920, 1215, 375));
    QLabel* engine = AddLabel(this, "Label1", twips, 120, 2040);
    engine->setText("Tarn Conduit Engine:");
    engine->setFixedWidth(twips(1680 - 120));
    lblEngineVersion_ = AddLabel(this, "lblEngineVersion", twips, 1680, 2040);
    lblEngineVersion_->setFixedWidth(twips(2880 - 1680 - 60));
    auto* debug = AddButton(this, "cmdDebug", "&Debug", twips.Rect(720, 2760, 1215, 495));

    // Only the height may change: pulling the window taller uncovers the Debug button.
    setMinimumSize(twips(kClientWidth), twips(kLoadedClientHeight));
    setMaximumSize(twips(kClientWidth), twips(kClientHeight));

    connect(cmdManageConnection_, &QPushButton::clicked, this,
            [this] { cmdManageConnection_Click(); });
    connect(ok, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(debug, &QPushButton::clicked, this, [this] { cmdDebug_Click(); });
}

void frmMain::Load() {
    Twips twips(*this);
    resize(twips(kClientWidth), twips(kLoadedClientHeight));
    lblEngineVersion_->setText(
        QString("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));

    // A failed read leaves part of the file in the state; it is shown, but remembered so that
    // "&Ok" cannot replace the whole file by that part. A file that is not there at all reads
    // as an empty description, which "&Ok" must not write in its place either.
    readError_.clear();
    std::string bytes;
    fileMissing_ = !state_.ConfigPath.empty() &&
                   !platform::ReadWholeFile(state_.ConfigPath, bytes, &readError_);
    readFailed_ = !ReadConfigFile(state_.ConfigPath, state_.Settings, state_.Tables, &readError_);

    lblCompanyName_->setText(QString::fromStdString(Plain(state_.Settings.CompanyName)));
    lblConduitTitle_->setText(QString::fromStdString(Plain(state_.Settings.ConduitTitle)));
    FitConduitTitle();
    lblVersion_->setText(QString::fromStdString("Version: " + state_.Settings.Version));
    cmdManageConnection_->setEnabled(state_.Settings.AllowModifyDatabase != 0);
}

void frmMain::FitConduitTitle() {
    // A title wider than the window goes on over further lines, and everything below it moves
    // down by as much, the window growing with it; a title of one line keeps the designed layout.
    QLabel& title = *lblConduitTitle_;
    title.setWordWrap(true);
    const int extra =
        std::max(0, title.heightForWidth(title.width()) - title.heightForWidth(QWIDGETSIZE_MAX));
    if (extra == 0) return;
    title.resize(title.width(), title.height() + extra);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control != &title) control->move(control->x(), control->y() + extra);
    const int grown = height() + extra;
    setMaximumHeight(maximumHeight() + extra);
    setMinimumHeight(minimumHeight() + extra);
    resize(width(), grown);
}

void frmMain::cmdManageConnection_Click() {
    ConduitSettings& settings = state_.Settings;
    ui::frmDatabaseConnection dialog(ui::kConduitDefaultDriver, this, &state_.Platform.Odbc());
    dialog.ShowStoredSettings({Plain(settings.DBDriver), Plain(settings.DBServer),
                               Plain(settings.DBDatabase), Plain(settings.DBUsername),
                               Plain(settings.DBPassword), Plain(settings.DBAppend)});
    if (dialog.SetDataBaseSettings()) {
        ConnectionSettings entered = dialog.EnteredSettings();
        settings.DBDriver = ScrambleString(entered.Driver);
        settings.DBDatabase = ScrambleString(entered.Database);
        settings.DBServer = ScrambleString(entered.Server);
        settings.DBUsername = ScrambleString(entered.Username);
        settings.DBPassword = ScrambleString(entered.Password);
        settings.DBAppend = ScrambleString(entered.Append);
    }
}

void frmMain::cmdDebug_Click() {
    if (std::optional<std::string> message = CycleDebugLevel(state_.Platform.Registry()))
        platform::ui::ShowMessageBox("", *message, platform::ui::MessageIcon::Information);
}

void frmMain::cmdOK_Click() {
    // The window closes only once the file is written; otherwise the user learns why and may
    // still cancel.
    const std::string& path = state_.ConfigPath;
    if (path.empty()) {
        platform::ui::ShowMessageBox(
            kTitle,
            "This conduit has no configuration file, so the settings cannot be saved.\r\n"
            "Press Cancel to close the window.",
            platform::ui::MessageIcon::Critical);
        return;
    }
    if (fileMissing_) {
        platform::ui::ShowMessageBox(
            kTitle,
            "The configuration file " + path + " could not be read (" + readError_ +
                ").\r\nNothing has been saved. Press Cancel to close the window.",
            platform::ui::MessageIcon::Critical);
        return;
    }
    if (readFailed_) {
        platform::ui::ShowMessageBox(
            kTitle,
            "The configuration file " + path + " could not be read completely (" + readError_ +
                ").\r\nIt has not been saved, so that the part that could not be read is not "
                "lost. Press Cancel to close the window.",
            platform::ui::MessageIcon::Critical);
        return;
    }
    std::string error;
    if (!WriteConfigFile(path, state_.Settings, state_.Tables, &error)) {
        platform::ui::ShowMessageBox(kTitle,
                                     "The configuration file " + path + " could not be saved (" +
                                         error + ").\r\nThe changes have not been saved.",
                                     platform::ui::MessageIcon::Critical);
        return;
    }
    fileWritten_ = true;
    accept();
}

}  // namespace tarn::conduit
