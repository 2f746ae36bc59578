#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

// Helpers for tests that drive windows on Qt's offscreen platform.
namespace tarn::ui::test {

// The one QApplication of a test program, on the offscreen platform. It is never destroyed:
// Qt's own input devices, made by QTest's key clicks, cannot outlive it at program exit.
inline QApplication& TestApplication() {
    static int argc = 3;
    static char name[] = "tarn_ui_test";
    static char platformOption[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {name, platformOption, offscreen, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Once a modal window of this object name is up, hands it to `act` (which must close it, or
// the modal loop never ends). Polls from the event loop, so call it before the window is
// opened.
inline void WhenModalShown(const QString& objectName, std::function<void(QWidget&)> act) {
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [=](int triesLeft) {
        QWidget* window = QApplication::activeModalWidget();
        if ((!window || window->objectName() != objectName || !window->isVisible()) &&
            triesLeft > 0) {
            QTimer::singleShot(10, [=] { (*attempt)(triesLeft - 1); });
            return;
        }
        if (!window || window->objectName() != objectName) {
            ADD_FAILURE() << "the window " << objectName.toStdString() << " did not appear";
            return;
        }
        act(*window);
    };
    QTimer::singleShot(0, [=] { (*attempt)(1000); });
}

// The child control of that name and type. A missing control ends the test program at once:
// carrying on (or throwing through Qt's event loop) would only hang or confuse.
template <typename Control>
Control& Find(QWidget& window, const char* objectName) {
    Control* control = window.findChild<Control*>(objectName);
    if (!control) {
        std::fprintf(stderr, "no control %s of the expected type in %s\n", objectName,
                     window.objectName().toStdString().c_str());
        std::abort();
    }
    return *control;
}

}  // namespace tarn::ui::test
