#include "platform/ui/qt/QtUi.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include "platform/ui/MouseIcon.h"
#include "platform/ui/qt/QtFileDialog.h"

namespace tarn::platform::ui {
namespace {

bool HaveApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ToQt(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Cancel:
            return QMessageBox::Cancel;
        case MessageAnswer::Yes:
            return QMessageBox::Yes;
        case MessageAnswer::No:
            return QMessageBox::No;
        case MessageAnswer::Ok:
            break;
    }
    return QMessageBox::Ok;
}

std::optional<MessageAnswer> FromQt(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return std::nullopt;
    }
}

// The numbered pointer shapes the rest of the system uses, as Qt cursors.
Qt::CursorShape CursorFor(std::int32_t shape) {
    switch (shape) {
        case 2:
            return Qt::CrossCursor;
        case 3:
            return Qt::IBeamCursor;
        case 5:
        case 15:
            return Qt::SizeAllCursor;
        case 6:
            return Qt::SizeBDiagCursor;
        case 7:
            return Qt::SizeVerCursor;
        case 8:
            return Qt::SizeFDiagCursor;
        case 9:
            return Qt::SizeHorCursor;
        case 10:
            return Qt::UpArrowCursor;
        case kHourglassPointer:
            return Qt::WaitCursor;
        case 12:
            return Qt::ForbiddenCursor;
        case 13:
            return Qt::BusyCursor;
        case 14:
            return Qt::WhatsThisCursor;
        default:
            return Qt::ArrowCursor;
    }
}

// A short text makes a narrow box, and the window manager then cuts its caption off. The box
// sizes itself when shown, so the room goes in as a spacer across its layout.
void KeepCaptionVisible(QMessageBox& box) {
    QFont captionFont = box.font();
    captionFont.setBold(true);
    // Beside the caption the title bar holds the window's icon and close button.
    constexpr int kTitleBarButtons = 120;
    const int width =
        QFontMetrics(captionFont).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

class QtBackend : public UiBackend {
  public:
    MessageAnswer ShowMessageBox(const MessageBoxRequest& request) override {
        if (!HaveApplication()) return ShowMessageBoxOnConsole(request);
        // Texts carry Windows line breaks; Qt would show the carriage return.
        QString text = QString::fromStdString(request.text).replace("\r\n", "\n");
        QMessageBox box(ToQt(request.icon), QString::fromStdString(request.caption), text,
                        ToQt(request.buttons), QApplication::activeWindow());
        box.setObjectName("tarnMessageBox");
        box.setDefaultButton(ToQt(request.defaultButton));
        KeepCaptionVisible(box);
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        std::optional<MessageAnswer> answer =
            clicked ? FromQt(box.standardButton(clicked)) : std::nullopt;
        return answer.value_or(request.defaultButton);
    }

    void PushPointer(std::int32_t shape) override {
        if (HaveApplication()) QApplication::setOverrideCursor(QCursor(CursorFor(shape)));
    }

    void ChangePointer(std::int32_t shape) override {
        if (HaveApplication()) QApplication::changeOverrideCursor(QCursor(CursorFor(shape)));
    }

    void PopPointer() override {
        if (HaveApplication()) QApplication::restoreOverrideCursor();
    }

    void ProcessPendingEvents() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
};

}  // namespace

UiBackend& QtUiBackend() {
    static QtBackend backend;
    return backend;
}

void InstallQtUi() {
    InstallUiBackend(&QtUiBackend());
    InstallFileDialogBackend(&QtFileDialogBackend());
}

}  // namespace tarn::platform::ui
