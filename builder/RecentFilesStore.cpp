#include <QSettings>
#include <QString>

#include "builder/RecentFiles.h"

namespace tarn::builder {
namespace {

constexpr char kApplication[] = "TarnConduit";
constexpr char kSection[] = "MRUList";

// The stored values are numbered from 1: "Name1" holds position 0.
QString Key(const char* what, int position) {
    return QString("%1%2").arg(what).arg(position + 1);
}

}  // namespace

RecentFiles LoadRecentFiles() {
    QSettings store(kApplication, kApplication);
    store.beginGroup(kSection);
    RecentFiles files;
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
        QString name = store.value(Key("Name", i), QString()).toString();
        if (name.isEmpty()) continue;
        QString title = store.value(Key("Title", i), QString()).toString();
        files.AppendStored(name.toStdString(), title.toStdString());
    }
    return files;
}

void SaveRecentFiles(const RecentFiles& files) {
    QSettings store(kApplication, kApplication);
    store.beginGroup(kSection);
    for (int i = 0; i < RecentFiles::kMaxEntries; ++i) {
        bool filled = i < files.Count();
        store.setValue(Key("Name", i), filled ? QString::fromStdString(files.Name(i)) : QString());
        store.setValue(Key("Title", i),
                       filled ? QString::fromStdString(files.Title(i)) : QString());
    }
    store.sync();
}

}  // namespace tarn::builder
