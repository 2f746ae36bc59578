#include "platform/ui/qt/QtFileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>

namespace tarn::platform::ui {
namespace {

class QtFileDialogs : public FileDialogBackend {
  public:
    std::optional<std::string> ShowFileDialog(const FileDialogRequest& request) override {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
        QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.caption),
                           QString::fromStdString(request.initialPath));
        dialog.setObjectName("tarnFileDialog");
        switch (request.kind) {
            case FileDialogKind::OpenFile:
                dialog.setAcceptMode(QFileDialog::AcceptOpen);
                dialog.setFileMode(QFileDialog::ExistingFile);
                break;
            case FileDialogKind::SaveFile:
                dialog.setAcceptMode(QFileDialog::AcceptSave);
                dialog.setFileMode(QFileDialog::AnyFile);
                break;
            case FileDialogKind::Folder:
                dialog.setAcceptMode(QFileDialog::AcceptOpen);
                dialog.setFileMode(QFileDialog::Directory);
                dialog.setOption(QFileDialog::ShowDirsOnly);
                break;
        }
        if (request.kind != FileDialogKind::Folder) {
            QString filter = ToQtFileFilter(request.filter);
            if (!filter.isEmpty()) dialog.setNameFilter(filter);
            QString suffix = QString::fromStdString(request.defaultExtension);
            while (suffix.startsWith('*') || suffix.startsWith('.')) suffix.remove(0, 1);
            if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    }
};

}  // namespace

FileDialogBackend& QtFileDialogBackend() {
    static QtFileDialogs backend;
    return backend;
}

QString ToQtFileFilter(const std::string& filter) {
    if (QString::fromStdString(filter).trimmed().isEmpty()) return {};
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (patterns.isEmpty()) patterns = "*";
        patterns.replace(';', ' ');
        patterns = patterns.simplified();
        QString ending = "(" + patterns + ")";
        if (description.isEmpty())
            filters << ending;
        else if (description.endsWith(ending))
            filters << description;
        else
            filters << description + " " + ending;
    }
    return filters.join(";;");
}

}  // namespace tarn::platform::ui
