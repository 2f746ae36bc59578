#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "builder/frmMain.h"
#include "common/ui/ModalWindow.h"
#include "common/ui/testing/DialogTestSupport.h"
#include "platform/ui/FileDialogCapture.h"
#include "platform/ui/MessageBoxCapture.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::builder::test {

// A private machine for one builder test: fresh TARN_HOME and ODBC setup, the per-user
// settings store in the test's folder, message boxes and file dialogs answered by the test, and
// modal windows driven by the test on the offscreen platform.
class BuilderTest : public ::testing::Test {
  protected:
    BuilderTest() {
        ui::test::TestApplication();
        std::filesystem::create_directories(machine_.root() / "settings");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((machine_.root() / "settings").string()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString((machine_.root() / "settings").string()));
        std::filesystem::create_directories(ProgramFolder());
    }

    std::filesystem::path ProgramFolder() const { return machine_.root() / "program"; }
    std::string PathIn(const std::string& name) const { return (machine_.root() / name).string(); }

    // A main window that writes its deployment copies into the test's program folder.
    std::unique_ptr<frmMain> NewWindow() {
        auto window = std::make_unique<frmMain>();
        window->SetProgramFolder(ProgramFolder().string());
        return window;
    }
    QLineEdit& Box(frmMain& window, const char* name) {
        return ui::test::Find<QLineEdit>(window, name);
    }

    tarn::test::TestEnvironment machine_;
    platform::ui::MessageBoxCapture boxes_;
    platform::ui::FileDialogCapture dialogs_;
    ui::ModalWindowsDrivenByTest driven_;
};

template <typename Control>
Control& Find(QWidget& window, const char* name) {
    return ui::test::Find<Control>(window, name);
}

// The entries of a list box, in order.
inline QStringList ListTexts(QWidget& window, const char* list) {
    QStringList texts;
    auto& control = Find<QListWidget>(window, list);
    for (int row = 0; row < control.count(); ++row) texts << control.item(row)->text();
    return texts;
}

// Fills the window with a conduit that verifies: "Orders" (TORD), one table with one field.
inline void FillValidConduit(frmMain& window) {
    Find<QLineEdit>(window, "txtConduitTitle").setText("Orders");
    Find<QLineEdit>(window, "txtCreatorID").setText("TORD");
    Find<QLineEdit>(window, "txtCompanyName").setText("Tarn Ltd");
    Find<QLineEdit>(window, "txtConduitShortName").setText("TarnOrders");
    Find<QLineEdit>(window, "txtInstallationPath").setText("/opt/orders");
    Find<QLineEdit>(window, "txtVersion").setText("1.0");
    window.Tables().Add("Orders", "TarnOrders")->Fields().Add("Id", 3);
    window.RefreshTableList();
}

}  // namespace tarn::builder::test
