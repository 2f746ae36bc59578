#pragma once

#include <QString>

class QComboBox;

namespace tarn::platform::odbc {
class Environment;
}

namespace tarn::ui {

// Fills a driver list with "(None)" and the installed ODBC drivers worth offering (see
// common/connection/DriverList.h) and shows "(None)". The list is emptied first, so filling it
// again offers each driver once. Without an environment the machine's driver manager is asked.
void FillDriverList(QComboBox& list, platform::odbc::Environment* environment = nullptr);

// Selects the first entry whose text equals `text` exactly (letter case counts) and raises the
// list's click handling (its `activated` signal), as a user's choice would. When no entry
// matches, the list is left as it was and false is returned.
bool SelectListItem(QComboBox& list, const QString& text);

}  // namespace tarn::ui
