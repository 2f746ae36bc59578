#include "common/ui/ListControls.h"

#include <QComboBox>

#include "common/connection/DriverList.h"
#include "platform/odbc/Database.h"

namespace tarn::ui {

void FillDriverList(QComboBox& list, platform::odbc::Environment* environment) {
    std::vector<std::string> entries =
        environment ? DriverListEntries(*environment) : InstalledDriverListEntries();
    list.clear();
    for (const std::string& entry : entries) list.addItem(QString::fromStdString(entry));
    list.setCurrentIndex(0);
    list.setCurrentText(kNoDriver);
}

bool SelectListItem(QComboBox& list, const QString& text) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i) == text) {
            list.setCurrentIndex(i);
            // An editable list keeps typed text apart from the selection; show the entry.
            list.setCurrentText(text);
            emit list.activated(i);
            return true;
        }
    }
    return false;
}

}  // namespace tarn::ui
