#include "builder/frmSplash.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "builder/BuilderArt.h"
#include "builder/ProgramFolders.h"
#include "common/ui/ModalWindow.h"
#include "tarn/Version.h"

namespace tarn::builder {

frmSplash::frmSplash(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSplash");
    setWindowTitle("Tarn Conduit Builder");

    auto* imgLogo = new QLabel(this);
    imgLogo->setObjectName("imgLogo");
    imgLogo->setPixmap(Logo(96));
    auto* lblProductName = new QLabel("Tarn Conduit Builder", this);
    lblProductName->setObjectName("lblProductName");
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lblProductName->setFont(big);
    auto* lblVersion = new QLabel(
        QString("Version: %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision),
        this);
    lblVersion->setObjectName("lblVersion");
    auto* lblDescription = new QLabel(
        "Describe, verify and install HotSync conduits\nfor desktop SQL databases.", this);
    lblDescription->setObjectName("lblDescription");
    auto* lblSupport = new QLabel("Support:", this);
    lblSupport->setObjectName("lblSupport");
    // Support is the help page shipped with the program.
    QString help = QString::fromStdString(HelpPagePath(ExecutableFolder()));
    lblSupportAddress_ = new QLabel(this);
    lblSupportAddress_->setObjectName("lblSupportAddress");
    QString url = help.isEmpty() ? QString() : QUrl::fromLocalFile(help).toString();
    lblSupportAddress_->setText(help.isEmpty()
                                    ? QString("TarnConduit.html")
                                    : QString("<a href=\"%1\">TarnConduit.html</a>").arg(url));
    lblSupportAddress_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(lblSupportAddress_, &QLabel::linkActivated, this,
            [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
    cmdOk_ = new QPushButton("&Ok", this);
    cmdOk_->setObjectName("cmdOk");
    connect(cmdOk_, &QPushButton::clicked, this, [this] { accept(); });

    auto* text = new QVBoxLayout;
    text->addWidget(lblProductName);
    text->addWidget(lblVersion);
    text->addSpacing(8);
    text->addWidget(lblDescription);
    text->addSpacing(8);
    auto* support = new QHBoxLayout;
    support->addWidget(lblSupport);
    support->addWidget(lblSupportAddress_);
    support->addStretch();
    text->addLayout(support);
    auto* top = new QHBoxLayout;
    top->addWidget(imgLogo, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 12);
    layout->addLayout(top);
    layout->addLayout(buttons);

    tmrSplash_ = new QTimer(this);
    tmrSplash_->setObjectName("tmrSplash");
    tmrSplash_->setSingleShot(true);
    connect(tmrSplash_, &QTimer::timeout, this, [this] { accept(); });
}

void frmSplash::SplashScreen() {
    cmdOk_->setVisible(false);
    setFixedSize(sizeHint());
    tmrSplash_->start(kSplashMilliseconds);
    ui::ExecModal(*this);
    tmrSplash_->stop();
}

void frmSplash::AboutScreen() {
    cmdOk_->setVisible(true);
    setFixedSize(sizeHint());
    tmrSplash_->stop();
    ui::ExecModal(*this);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    event->accept();
    accept();
}

}  // namespace tarn::builder
