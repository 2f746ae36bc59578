#include "builder/BuilderArt.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace tarn::builder {

QPixmap Logo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(226, 238, 248));
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 10, 10);
    // Mountains behind the tarn.
    QPainterPath mountains;
    mountains.moveTo(4, 40);
    mountains.lineTo(20, 14);
    mountains.lineTo(30, 28);
    mountains.lineTo(38, 18);
    mountains.lineTo(54, 40);
    mountains.closeSubpath();
    p.setBrush(QColor(96, 110, 128));
    p.drawPath(mountains);
    p.setBrush(Qt::white);
    QPainterPath snow;
    snow.moveTo(20, 14);
    snow.lineTo(24.5, 21);
    snow.lineTo(15.5, 21);
    snow.closeSubpath();
    p.drawPath(snow);
    // The water.
    p.setBrush(QColor(38, 110, 186));
    p.drawEllipse(QRectF(4, 36, 50, 16));
    p.setPen(QPen(QColor(200, 226, 250), 1.5));
    p.drawLine(QPointF(14, 44), QPointF(26, 44));
    p.drawLine(QPointF(30, 47), QPointF(42, 47));
    // The handheld.
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(QRectF(44, 22, 16, 30), 3, 3);
    p.setBrush(QColor(170, 200, 150));
    p.drawRect(QRectF(47, 25, 10, 14));
    p.setBrush(QColor(140, 140, 150));
    p.drawEllipse(QRectF(49.5, 42, 5, 5));
    return pixmap;
}

QIcon ToolbarImage(const QString& key) {
    struct Entry {
        const char* key;
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static const Entry entries[] = {
        {"New", "document-new", QStyle::SP_FileIcon},
        {"Open", "document-open", QStyle::SP_DialogOpenButton},
        {"Save", "document-save", QStyle::SP_DialogSaveButton},
        {"Verify", "emblem-ok", QStyle::SP_DialogApplyButton},
        {"TestDatabase", "network-server", QStyle::SP_DriveNetIcon},
        {"CreateInstall", "system-software-install", QStyle::SP_ComputerIcon},
        {"Add", "list-add", QStyle::SP_FileDialogNewFolder},
        {"Remove", "list-remove", QStyle::SP_TrashIcon},
        {"MoveUp", "go-up", QStyle::SP_ArrowUp},
        {"MoveDown", "go-down", QStyle::SP_ArrowDown},
    };
    for (const auto& entry : entries) {
        if (key != entry.key) continue;
        QIcon fallback = QApplication::style()->standardIcon(entry.fallback);
        return QIcon::fromTheme(entry.themeName, fallback);
    }
    return QIcon();
}

}  // namespace tarn::builder
