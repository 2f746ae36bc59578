#include "platform/ui/qt/QtUi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/ui/MessageBox.h"
#include "platform/ui/MouseIcon.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::platform::ui {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "platform_ui_qt_test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// Runs `check` on the message box once it is up, then presses `press` on it.
void WhenBoxIsShown(std::function<void(QMessageBox&)> check, QMessageBox::StandardButton press) {
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [=](int left) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box && left > 0) {
            QTimer::singleShot(10, [=] { (*attempt)(left - 1); });
            return;
        }
        ASSERT_NE(box, nullptr) << "no message box appeared";
        check(*box);
        box->button(press)->click();
    };
    QTimer::singleShot(0, [=] { (*attempt)(500); });
}

TEST(QtMessageBox, ShowsCaptionTextIconButtonsAndReturnsTheButtonPressed) {
    test::TestEnvironment env;
    App();
    WhenBoxIsShown(
        [](QMessageBox& box) {
            EXPECT_EQ(box.objectName(), "tarnMessageBox");
            EXPECT_EQ(box.windowTitle(), "Tarn Conduit Register Tool");
            EXPECT_EQ(box.text(), "Tarn Conduit Builder Register Tool\nVersion: 2.0.0");
            EXPECT_EQ(box.icon(), QMessageBox::Question);
            EXPECT_EQ(box.standardButtons(),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        },
        QMessageBox::Yes);
    MessageAnswer answer = QtUiBackend().ShowMessageBox(
        {"Tarn Conduit Register Tool", "Tarn Conduit Builder Register Tool\r\nVersion: 2.0.0",
         MessageIcon::Question, MessageButtons::YesNoCancel, MessageAnswer::No});
    EXPECT_EQ(answer, MessageAnswer::Yes);
}

// A short text must not make the box too narrow for its caption.
TEST(QtMessageBox, IsWideEnoughForItsCaption) {
    test::TestEnvironment env;
    App();
    const QString caption = "Tarn Conduit Builder Register Tool";
    WhenBoxIsShown(
        [&](QMessageBox& box) {
            QFont bold = box.font();
            bold.setBold(true);
            // Room for the caption, bold in most title bars, and the bar's icon and buttons.
            EXPECT_GE(box.width(), QFontMetrics(bold).horizontalAdvance(caption) + 100);
        },
        QMessageBox::Ok);
    QtUiBackend().ShowMessageBox({caption.toStdString(), "File not found", MessageIcon::Information,
                                  MessageButtons::Ok, MessageAnswer::Ok});
}

TEST(QtMouseIcon, HourglassIsTheOverrideCursorWhileTheObjectLives) {
    test::TestEnvironment env;
    App();
    InstallQtUi();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        MouseIcon busy(kHourglassPointer);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            MouseIcon inner(kHourglassPointer);
            inner.set_cMouseIcon(13);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        }
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    InstallUiBackend(nullptr);
}

}  // namespace
}  // namespace tarn::platform::ui
