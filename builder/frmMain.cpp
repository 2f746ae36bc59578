#include "builder/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>

#include "builder/BuilderArt.h"
#include "builder/DesktopDatabase.h"
#include "builder/ProgramFolders.h"
#include "tarn/Version.h"

namespace tarn::builder {

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent),
      programFolder_(ExecutableFolder()),
      tables_(std::make_shared<colTables>()) {
    BuildControls();
    Form_Load();
}

frmMain::~frmMain() {
    DisconnectDesktopDatabase();
}

void frmMain::Form_Load() {
    SSTab1_->setCurrentIndex(0);
    SSTab2_->setCurrentIndex(0);
    programCaption_ =
        windowTitle() +
        QString(" - %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
    setWindowTitle(programCaption_);
    for (QToolBar* bar : {tbToolBar_, ToolBarTables_, ToolbarFields_}) {
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        for (QAction* button : bar->actions()) {
            QString key = button->data().toString();
            if (!key.isEmpty()) button->setIcon(ToolbarImage(key));
            // Toolbar buttons take no focus by default; Tab must reach them like any button.
            if (QWidget* widget = bar->widgetForAction(button))
                widget->setFocusPolicy(Qt::TabFocus);
        }
    }
    SetTestConnectionStatus(false);
    tables_ = std::make_shared<colTables>();
    RefreshTableList();
    SetWorkingTable("");
    recentFiles_ = LoadRecentFiles();
    BuildMRUMenu();
    chkAllowModifyDatabase_->setChecked(true);
    setFixedSize(FixedWindowSize());
}

QSize frmMain::FixedWindowSize() const {
    QLayout* central = centralWidget()->layout();
    QMargins margins = central->contentsMargins();
    int frameTop = menuBar()->sizeHint().height() + tbToolBar_->sizeHint().height() +
                   margins.top() + SSTab1_->sizeHint().height() + central->spacing();
    int height = frameTop + Frame1_->sizeHint().height() + sbStatusBar_->sizeHint().height() +
                 margins.bottom();
    int width = std::max(SSTab1_->sizeHint().width(), Frame1_->sizeHint().width()) +
                margins.left() + margins.right();
    return QSize(width, height);
}

void frmMain::SetTestConnectionStatus(bool status) {
    testConnectionStatus_ = status;
    cmdTestDeletedRecordsTable_->setEnabled(status);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (PromptSaveSettings())
        event->accept();
    else
        event->ignore();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only a move to another control counts as leaving a box, not a message box or menu
        // taking the focus for a moment.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtCreatorID_) txtCreatorID_LostFocus();
            if (watched == txtFieldDelimiter_) txtFieldDelimiter_LostFocus();
            if (watched == txtDesktopTable_) txtDesktopTable_LostFocus();
        }
    } else if (event->type() == QEvent::FocusIn && watched == txtPalmDatabase_) {
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            txtPalmDatabase_GotFocus();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tarn::builder
