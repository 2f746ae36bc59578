#include "common/ui/ModalWindow.h"

#include <QDialog>
#include <atomic>
#include <cstdio>
#include <string>

#include "platform/ui/Display.h"

namespace tarn::ui {
namespace {

std::atomic<int> drivenByTest{0};

}  // namespace

ModalWindowsDrivenByTest::ModalWindowsDrivenByTest() {
    ++drivenByTest;
}

ModalWindowsDrivenByTest::~ModalWindowsDrivenByTest() {
    --drivenByTest;
}

bool ModalWindowsAreDrivenByTest() {
    return drivenByTest > 0;
}

int ExecModal(QDialog& dialog) {
    if (!platform::ui::HasDisplay() && !ModalWindowsAreDrivenByTest()) {
        std::string line = dialog.windowTitle().toStdString() +
                           ": the window cannot be shown without a display; it is closed as "
                           "cancelled\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return QDialog::Rejected;
    }
    return dialog.exec();
}

}  // namespace tarn::ui
