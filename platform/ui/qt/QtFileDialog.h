#pragma once

#include <QString>
#include <string>

#include "platform/ui/FileDialog.h"

namespace tarn::platform::ui {

// File dialogs and the folder browser as QFileDialog windows (used once InstallQtUi ran).
FileDialogBackend& QtFileDialogBackend();

// A filter of description and pattern pairs ("Config (*.tcf) | *.tcf|All | *.*") in Qt's form
// ("Config (*.tcf);;All (*.*)"). A description that already ends in its patterns is kept.
QString ToQtFileFilter(const std::string& filter);

}  // namespace tarn::platform::ui
