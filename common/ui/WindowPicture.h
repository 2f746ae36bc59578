#pragma once

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QWidget>
#include <cstdio>

namespace tarn::screenshots {

// Shows a window, lets it be mapped and painted, and saves a PNG of it into `folder`.
inline bool SaveWindowPicture(QWidget& window, const QDir& folder, const QString& name) {
    window.show();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
    QString path = folder.filePath(name);
    bool saved = window.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    window.hide();
    return saved;
}

}  // namespace tarn::screenshots
