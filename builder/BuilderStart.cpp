#include "builder/BuilderStart.h"

#include <QApplication>
#include <string>
#include <vector>

#include "builder/InstallationPackage.h"
#include "builder/ProgramFolders.h"
#include "builder/frmMain.h"
#include "builder/frmSplash.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/qt/QtUi.h"
#include "register/ComInstall.h"

namespace tarn::builder {

int RunBuilder(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kCreateInstallationOption)
        return RunCreateInstallation(std::vector<std::string>(argv + 1, argv + argc),
                                     ExecutableFolder());
    QApplication app(argc, argv);
    platform::ui::SetProgramTitle("TarnConduit");
    platform::ui::InstallQtUi();

    {
        frmSplash splash;
        splash.SplashScreen();
    }
    if (!MComInstall::IsPalmComInstalled()) {
        platform::ui::ShowMessageBox("", "Palm COM Utilites need to be installed",
                                     platform::ui::MessageIcon::Critical);
        return 1;
    }

    frmMain window;
    // Qt has taken its own options (such as -platform) out of the arguments by now.
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());
    if (auto document = DocumentFromCommandLine(arguments))
        window.OpenDocumentAtStart(*document);
    else
        window.ClearConduitSettings(false);
    window.show();
    return QApplication::exec();
}

}  // namespace tarn::builder
