#include "conduit/ui/ConduitConfiguration.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "common/ui/ModalWindow.h"
#include "conduit/ui/frmMain.h"
#include "platform/ui/Display.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/UiBackend.h"
#include "platform/ui/qt/QtUi.h"

namespace tarn::conduit {
namespace {

// A QApplication for a caller that has none (the sync host is a console program), together
// with Qt's message boxes and file dialogs; the caller's own ones come back afterwards.
class BorrowedApplication {
  public:
    BorrowedApplication()
        : previousUi_(&platform::ui::CurrentUiBackend()),
          previousFileDialogs_(platform::ui::InstalledFileDialogBackend()) {
        static char name[] = "TarnConduit2";
        static char platformOption[] = "-platform";
        static char offscreen[] = "offscreen";
        // Qt would abort without a display unless told to draw off screen.
        static char* withDisplay[] = {name, nullptr};
        static char* withoutDisplay[] = {name, platformOption, offscreen, nullptr};
        static int argc;
        previousMessageHandler_ = qInstallMessageHandler(KeepQtQuiet);
        bool display = platform::ui::HasDisplay();
        argc = display ? 1 : 3;
        application_ = std::make_unique<QApplication>(argc, display ? withDisplay : withoutDisplay);
        platform::ui::InstallQtUi();
    }

    ~BorrowedApplication() {
        application_.reset();
        qInstallMessageHandler(previousMessageHandler_);
        platform::ui::InstallUiBackend(previousUi_);
        platform::ui::InstallFileDialogBackend(previousFileDialogs_);
    }

  private:
    // The host is a console program: Qt's notes about its own setup (no runtime folder, no
    // window manager) would only clutter its output. Real trouble still gets through.
    static void KeepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }

    QtMessageHandler previousMessageHandler_ = nullptr;
    platform::ui::UiBackend* previousUi_;
    platform::ui::FileDialogBackend* previousFileDialogs_;
    std::unique_ptr<QApplication> application_;
};

}  // namespace

void ShowConduitConfiguration(ModuleState& state) {
    std::unique_ptr<BorrowedApplication> borrowed;
    if (!QCoreApplication::instance()) {
        borrowed = std::make_unique<BorrowedApplication>();
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fputs(
            "Conduit Configuration: the window cannot be shown by a program without "
            "widgets\n",
            stderr);
        return;
    }
    frmMain window(state);
    ui::ExecModal(window);
}

}  // namespace tarn::conduit
