#pragma once

class QDialog;

namespace tarn::ui {

// Shows a dialog modally and returns its result. Without a display nobody could close it, so it
// is not shown at all: one line "title: ..." on stderr and the dialog counts as cancelled
// (QDialog::Rejected), unless a test has taken over the windows (below).
int ExecModal(QDialog& dialog);

// For tests: while an object of this class lives, ExecModal shows dialogs on Qt's offscreen
// platform too; the test closes them itself (e.g. from a QTimer::singleShot). Nests.
class ModalWindowsDrivenByTest {
  public:
    ModalWindowsDrivenByTest();
    ~ModalWindowsDrivenByTest();
    ModalWindowsDrivenByTest(const ModalWindowsDrivenByTest&) = delete;
    ModalWindowsDrivenByTest& operator=(const ModalWindowsDrivenByTest&) = delete;
};

bool ModalWindowsAreDrivenByTest();

}  // namespace tarn::ui
