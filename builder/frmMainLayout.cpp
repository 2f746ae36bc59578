// The controls of the main window and how they are laid out and wired.
#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "builder/BuilderArt.h"
#include "builder/frmMain.h"

namespace tarn::builder {
namespace {

constexpr int kBoxWidth = 300;

QLabel* Label(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* TextBox(QWidget* parent, const char* name, int width = kBoxWidth) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setFixedWidth(width);
    return box;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QAction* ToolButton(QToolBar* bar, const char* key, const char* description) {
    QAction* action = bar->addAction(key);
    action->setObjectName(key);
    action->setData(QString(key));
    action->setToolTip(description);
    action->setStatusTip(description);
    return action;
}

QWidget* Page(QTabWidget* tabs, const char* name, const char* caption) {
    auto* page = new QWidget(tabs);
    page->setObjectName(name);
    tabs->addTab(page, caption);
    return page;
}

QAction* MenuItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

void frmMain::BuildControls() {
    setObjectName("frmMain");
    setWindowTitle("Tarn Conduit Builder");
    setWindowIcon(QIcon(Logo(64)));

    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(8);

    SSTab1_ = new QTabWidget(central);
    SSTab1_->setObjectName("SSTab1");
    BuildConduitPropertiesTab();
    BuildDesktopDatabaseTab();
    BuildMiscellaneousTab();
    layout->addWidget(SSTab1_);
    layout->addWidget(BuildTablesFrame());
    setCentralWidget(central);

    BuildMenus();
    BuildToolbar();
    sbStatusBar_ = new QStatusBar(this);
    sbStatusBar_->setObjectName("sbStatusBar");
    sbStatusBar_->setSizeGripEnabled(false);
    setStatusBar(sbStatusBar_);

    for (QLineEdit* box : {txtCreatorID_, txtFieldDelimiter_, txtDesktopTable_, txtPalmDatabase_})
        box->installEventFilter(this);
}

QWidget* frmMain::BuildConduitPropertiesTab() {
    QWidget* page = Page(SSTab1_, "tabConduitProperties", "Conduit Properties");
    auto* grid = new QGridLayout(page);
    txtConduitTitle_ = TextBox(page, "txtConduitTitle");
    txtCreatorID_ = TextBox(page, "txtCreatorID", 80);
    txtCompanyName_ = TextBox(page, "txtCompanyName");
    txtConduitShortName_ = TextBox(page, "txtConduitShortName");
    txtInstallationPath_ = TextBox(page, "txtInstallationPath");
    auto* cmdInstallationPath = Button(page, "cmdInstallationPath", "&Path...");
    txtVersion_ = TextBox(page, "txtVersion", 80);

    grid->addWidget(Label(page, "lblConduitTitle", "Conduit Title:"), 0, 0);
    grid->addWidget(txtConduitTitle_, 0, 1);
    grid->addWidget(Label(page, "lblCreatorID", "Creator ID:"), 1, 0);
    grid->addWidget(txtCreatorID_, 1, 1);
    grid->addWidget(Label(page, "lblCompanyName", "Company Name:"), 2, 0);
    grid->addWidget(txtCompanyName_, 2, 1);
    grid->addWidget(Label(page, "lblConduitShortName", "Conduit Name:"), 3, 0);
    grid->addWidget(txtConduitShortName_, 3, 1);
    grid->addWidget(Label(page, "lblInstallationPath", "Installation Path:"), 4, 0);
    grid->addWidget(txtInstallationPath_, 4, 1);
    grid->addWidget(cmdInstallationPath, 4, 2);
    grid->addWidget(Label(page, "lblVersion", "Version:"), 5, 0);
    grid->addWidget(txtVersion_, 5, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(6, 1);

    connect(cmdInstallationPath, &QPushButton::clicked, this,
            [this] { cmdInstallationPath_Click(); });
    return page;
}

QWidget* frmMain::BuildDesktopDatabaseTab() {
    QWidget* page = Page(SSTab1_, "tabDesktopDatabase", "Desktop Database");
    auto* grid = new QGridLayout(page);
    auto* cmdSetupConnection = Button(page, "cmdSetupConnection", "Setup Database Connection");
    chkAllowModifyDatabase_ = new QCheckBox("Allow user to modify connection settings", page);
    chkAllowModifyDatabase_->setObjectName("chkAllowModifyDatabase");
    txtFieldDelimiter_ = TextBox(page, "txtFieldDelimiter", 80);
    txtFilterDatabase_ = TextBox(page, "txtFilterDatabase");

    grid->addWidget(cmdSetupConnection, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(chkAllowModifyDatabase_, 1, 0, 1, 2);
    grid->addWidget(Label(page, "lblFieldDelimiter", "SQL Field Delimiter:"), 2, 0);
    grid->addWidget(txtFieldDelimiter_, 2, 1);
    grid->addWidget(Label(page, "lblFilterDatabase", "Filter Database Name:"), 3, 0);
    grid->addWidget(txtFilterDatabase_, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    connect(cmdSetupConnection, &QPushButton::clicked, this,
            [this] { cmdSetupConnection_Click(); });
    return page;
}

QWidget* frmMain::BuildMiscellaneousTab() {
    QWidget* page = Page(SSTab1_, "tabMiscellaneous", "Miscellaneous");
    auto* grid = new QGridLayout(page);
    txtSignaturePath_ = TextBox(page, "txtSignaturePath");
    auto* cmdSignaturePath = Button(page, "cmdSignaturePath", "&Path...");
    txtDeletedRecordsTable_ = TextBox(page, "txtDeletedRecordsTable");
    cmdTestDeletedRecordsTable_ = Button(page, "cmdTestDeletedRecordsTable", "&Check Table");
    txtPreSyncExecution_ = TextBox(page, "txtPreSyncExecution");
    auto* cmdPreSyncExecution = Button(page, "cmdPreSyncExecution", "...");
    txtPostSyncExecution_ = TextBox(page, "txtPostSyncExecution");
    auto* cmdPostSyncExecution = Button(page, "cmdPostSyncExecution", "...");

    grid->addWidget(Label(page, "lblSignaturePath", "Signature Storage Path:"), 0, 0);
    grid->addWidget(txtSignaturePath_, 0, 1);
    grid->addWidget(cmdSignaturePath, 0, 2);
    grid->addWidget(Label(page, "lblDeletedRecordsTable", "Deleted Records Table:"), 1, 0);
    grid->addWidget(txtDeletedRecordsTable_, 1, 1);
    grid->addWidget(cmdTestDeletedRecordsTable_, 1, 2);
    grid->addWidget(Label(page, "lblPreSyncExecution", "Pre Sync Execution:"), 2, 0);
    grid->addWidget(txtPreSyncExecution_, 2, 1);
    grid->addWidget(cmdPreSyncExecution, 2, 2);
    grid->addWidget(Label(page, "lblPostSyncExecution", "Post Sync Execution:"), 3, 0);
    grid->addWidget(txtPostSyncExecution_, 3, 1);
    grid->addWidget(cmdPostSyncExecution, 3, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(4, 1);

    connect(cmdSignaturePath, &QPushButton::clicked, this, [this] { cmdSignaturePath_Click(); });
    connect(cmdTestDeletedRecordsTable_, &QPushButton::clicked, this,
            [this] { cmdTestDeletedRecordsTable_Click(); });
    connect(cmdPreSyncExecution, &QPushButton::clicked, this,
            [this] { cmdPreSyncExecution_Click(); });
    connect(cmdPostSyncExecution, &QPushButton::clicked, this,
            [this] { cmdPostSyncExecution_Click(); });
    return page;
}

QWidget* frmMain::BuildTablesFrame() {
    Frame1_ = new QGroupBox("Tables", centralWidget());
    Frame1_->setObjectName("Frame1");
    auto* row = new QHBoxLayout(Frame1_);

    auto* left = new QVBoxLayout;
    ToolBarTables_ = new QToolBar(Frame1_);
    ToolBarTables_->setObjectName("ToolBarTables");
    ToolBarTables_->setIconSize(QSize(16, 16));
    tableButtons_[1] = ToolButton(ToolBarTables_, "Add", "Add Table");
    tableButtons_[2] = ToolButton(ToolBarTables_, "Remove", "Delete Table");
    tableButtons_[3] = ToolBarTables_->addSeparator();
    tableButtons_[4] = ToolButton(ToolBarTables_, "MoveUp", "Move Table Up");
    tableButtons_[5] = ToolButton(ToolBarTables_, "MoveDown", "Move Table Down");
    for (int position : {1, 2, 4, 5})
        connect(tableButtons_[position], &QAction::triggered, this,
                [this, position] { ToolBarTables_ButtonClick(position); });
    lstTables_ = new QListWidget(Frame1_);
    lstTables_->setObjectName("lstTables");
    lstTables_->setFixedWidth(190);
    connect(lstTables_, &QListWidget::itemSelectionChanged, this, [this] { lstTables_Click(); });
    auto* cmdTableImport = Button(Frame1_, "cmdTableImport", "&Import Tables From Database");
    connect(cmdTableImport, &QPushButton::clicked, this, [this] { cmdTableImport_Click(); });
    left->addWidget(ToolBarTables_);
    left->addWidget(lstTables_);
    left->addWidget(cmdTableImport);

    SSTab2_ = new QTabWidget(Frame1_);
    SSTab2_->setObjectName("SSTab2");
    BuildTableSettingsTab();
    BuildFieldMappingTab();
    SSTab2_->setFixedHeight(270);

    row->addLayout(left);
    row->addWidget(SSTab2_, 1);
    return Frame1_;
}

QWidget* frmMain::BuildTableSettingsTab() {
    QWidget* page = Page(SSTab2_, "tabTableSettings", "Table Settings");
    auto* layout = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    txtDesktopTable_ = TextBox(page, "txtDesktopTable", 240);
    txtPalmDatabase_ = TextBox(page, "txtPalmDatabase", 240);
    txtPalmDatabase_->setMaxLength(31);  // a handheld database name has 31 characters at most
    grid->addWidget(Label(page, "lblDesktopTable", "Desktop Table:"), 0, 0);
    grid->addWidget(txtDesktopTable_, 0, 1);
    grid->addWidget(Label(page, "lblPalmDatabase", "Palm Database:"), 1, 0);
    grid->addWidget(txtPalmDatabase_, 1, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    auto* frame = new QGroupBox("Hot Sync Settings", page);
    frame->setObjectName("fraHotSyncSettings");
    auto* options = new QGridLayout(frame);
    struct Option {
        int index;
        const char* caption;
        const char* purgeCaption;
    };
    const Option rows[] = {
        {0, "Synchronize the files", nullptr},
        {2, "Handheld Overwrites Desktop", "Purge Desktop Before Sync"},
        {3, "Desktop Overwrites Handheld", "Purge Handheld Before Sync"},
        {6, "Do nothing", nullptr},
    };
    int line = 0;
    for (const Option& option : rows) {
        auto* button = new QRadioButton(option.caption, frame);
        button->setObjectName(QString("optSync_%1").arg(option.index));
        optSync_[option.index] = button;
        options->addWidget(button, line, 0);
        connect(button, &QRadioButton::clicked, this,
                [this, index = option.index] { optSync_Click(index); });
        if (option.purgeCaption) {
            auto* purge = new QCheckBox(option.purgeCaption, frame);
            purge->setObjectName(QString("chkPurge_%1").arg(option.index));
            purge->setEnabled(false);
            chkPurge_[option.index] = purge;
            options->addWidget(purge, line, 1);
            connect(purge, &QCheckBox::clicked, this,
                    [this, index = option.index] { chkPurge_Click(index); });
        }
        ++line;
    }
    options->setColumnStretch(2, 1);
    layout->addWidget(frame);
    layout->addStretch();

    connect(txtPalmDatabase_, &QLineEdit::textEdited, this, [this] { txtPalmDatabase_Change(); });
    connect(txtDesktopTable_, &QLineEdit::returnPressed, this,
            [this] { txtDesktopTable_LostFocus(); });
    return page;
}

QWidget* frmMain::BuildFieldMappingTab() {
    QWidget* page = Page(SSTab2_, "tabFieldMapping", "Field Mapping");
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    top->addWidget(Label(page, "lblFields", "Database Fields:"));
    top->addStretch();
    ToolbarFields_ = new QToolBar(page);
    ToolbarFields_->setObjectName("ToolbarFields");
    ToolbarFields_->setIconSize(QSize(16, 16));
    ToolButton(ToolbarFields_, "Add", "Add Field");
    ToolButton(ToolbarFields_, "Remove", "Delete Field");
    ToolButton(ToolbarFields_, "MoveUp", "Move Field Up");
    ToolButton(ToolbarFields_, "MoveDown", "Move Field Down");
    connect(ToolbarFields_, &QToolBar::actionTriggered, this,
            [this](QAction* action) { ToolbarFields_ButtonClick(action->data().toString()); });
    top->addWidget(ToolbarFields_);
    layout->addLayout(top);

    lstFields_ = new QTreeWidget(page);
    lstFields_->setObjectName("lstFields");
    lstFields_->setRootIsDecorated(false);
    lstFields_->setAllColumnsShowFocus(true);
    lstFields_->setHeaderLabels({"Desktop Field", "Hand Held DataType", "Filter Name"});
    lstFields_->header()->resizeSection(0, 160);
    lstFields_->header()->resizeSection(1, 130);
    // Activation is a double click or Enter, so a field opens from the keyboard as well.
    connect(lstFields_, &QTreeWidget::itemActivated, this, [this] { lstFields_DblClick(); });
    layout->addWidget(lstFields_);
    return page;
}

void frmMain::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu("&File");
    mnuFile->setObjectName("mnuFile");
    QAction* mnuFileNew = MenuItem(mnuFile, "mnuFileNew", "&New");
    mnuFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* mnuFileOpen = MenuItem(mnuFile, "mnuFileOpen", "&Open...");
    mnuFile->addSeparator();
    mnuFileSave_ = MenuItem(mnuFile, "mnuFileSave", "&Save");
    QAction* mnuFileSaveAs = MenuItem(mnuFile, "mnuFileSaveAs", "Save &As...");
    mnuFile->addSeparator();
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
        mnuFileMRUItem_[i] =
            MenuItem(mnuFile, QString("mnuFileMRUItem_%1").arg(i + 1).toLatin1().constData(), "");
        mnuFileMRUItem_[i]->setVisible(false);
        connect(mnuFileMRUItem_[i], &QAction::triggered, this,
                [this, i] { mnuFileMRUItem_Click(i); });
    }
    mnuFileMRUSep_ = mnuFile->addSeparator();
    mnuFileMRUSep_->setObjectName("mnuFileMRUSep");
    QAction* mnuFileExit = MenuItem(mnuFile, "mnuFileExit", "E&xit");
    connect(mnuFile, &QMenu::aboutToShow, this, [this] { mnuFile_Opening(); });
    connect(mnuFileNew, &QAction::triggered, this, [this] { mnuFileNew_Click(); });
    connect(mnuFileOpen, &QAction::triggered, this, [this] { mnuFileOpen_Click(); });
    connect(mnuFileSave_, &QAction::triggered, this, [this] { mnuFileSave_Click(); });
    connect(mnuFileSaveAs, &QAction::triggered, this, [this] { mnuFileSaveAs_Click(); });
    connect(mnuFileExit, &QAction::triggered, this, [this] { close(); });

    QMenu* mnuCompile = menuBar()->addMenu("&Compile");
    mnuCompile->setObjectName("mnuCompile");
    mnuCompilerVerifySettings_ =
        MenuItem(mnuCompile, "mnuCompilerVerifySettings", "&Verify Settings");
    mnuCompileInstallLocally_ =
        MenuItem(mnuCompile, "mnuCompileInstallLocally", "&Install Conduit Locally");
    mnuCompileRemoveConduitLocally_ =
        MenuItem(mnuCompile, "mnuCompileRemoveConduitLocally", "&Remove Conduit Locally");
    mnuCompilePreviewHotSync_ =
        MenuItem(mnuCompile, "mnuCompilePreviewHotSync", "Preview &HotSync...");
    mnuCompile->addSeparator();
    mnuCompileCreateInstallation_ =
        MenuItem(mnuCompile, "mnuCompileCreateInstallation", "&Create Installation");
    connect(mnuCompile, &QMenu::aboutToShow, this, [this] { mnuCompile_Opening(); });
    connect(mnuCompilerVerifySettings_, &QAction::triggered, this,
            [this] { ShowVerificationMessage(); });
    connect(mnuCompileInstallLocally_, &QAction::triggered, this,
            [this] { InstallConduitLocally(); });
    connect(mnuCompilePreviewHotSync_, &QAction::triggered, this, [this] { PreviewHotSync(); });
    connect(mnuCompileRemoveConduitLocally_, &QAction::triggered, this,
            [this] { RemoveInstalledConduit(); });
    connect(mnuCompileCreateInstallation_, &QAction::triggered, this,
            [this] { mnuCompileCreateInstallation_Click(); });

    QMenu* mnuHelp = menuBar()->addMenu("&Help");
    mnuHelp->setObjectName("mnuHelp");
    QAction* mnuHelpContents = MenuItem(mnuHelp, "mnuHelpContents", "&Help");
    mnuHelp->addSeparator();
    QAction* mnuHelpAbout = MenuItem(mnuHelp, "mnuHelpAbout", "&About ");
    connect(mnuHelpContents, &QAction::triggered, this, [this] { mnuHelpContents_Click(); });
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { mnuHelpAbout_Click(); });
}

void frmMain::BuildToolbar() {
    tbToolBar_ = new QToolBar(this);
    tbToolBar_->setObjectName("tbToolBar");
    tbToolBar_->setMovable(false);
    tbToolBar_->setFloatable(false);
    tbToolBar_->setIconSize(QSize(24, 24));
    tbToolBar_->toggleViewAction()->setEnabled(false);
    ToolButton(tbToolBar_, "New", "New");
    ToolButton(tbToolBar_, "Open", "Open");
    ToolButton(tbToolBar_, "Save", "Save");
    tbToolBar_->addSeparator();
    ToolButton(tbToolBar_, "Verify", "Verify Conduit Settings");
    ToolButton(tbToolBar_, "TestDatabase", "Test Database Connection");
    tbToolBar_->addSeparator();
    ToolButton(tbToolBar_, "CreateInstall", "Create Installation");
    connect(tbToolBar_, &QToolBar::actionTriggered, this, [this](QAction* action) {
        if (!action->data().toString().isEmpty()) tbToolBar_ButtonClick(action->data().toString());
    });
    addToolBar(Qt::TopToolBarArea, tbToolBar_);
    setContextMenuPolicy(Qt::NoContextMenu);
}

}  // namespace tarn::builder
