// TarnCReg: registers (-R path) or unregisters (-U CRID) a conduit; run by installers.
#include <QApplication>
#include <memory>

#include "platform/ui/Display.h"
#include "platform/ui/qt/QtUi.h"
#include "register/RegisterTool.h"

int main(int argc, char** argv) {
    // Taken before Qt sees the arguments: Qt would take some of them as its own options.
    const std::string commandLine = tarn::MMain::JoinArguments(argc, argv);

    // Message boxes need an application object only when they can be shown at all.
    std::unique_ptr<QApplication> app;
    if (tarn::platform::ui::HasDisplay()) {
        static int qtArgc = 1;
        app = std::make_unique<QApplication>(qtArgc, argv);
        tarn::platform::ui::InstallQtUi();
    }
    return tarn::MMain::RunRegisterTool(commandLine);
}
