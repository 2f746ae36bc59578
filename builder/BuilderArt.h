#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tarn::builder {

// The builder's logo, drawn: a mountain lake with a handheld beside it.
QPixmap Logo(int size);

// The image of a toolbar button by its key ("New", "Open", "Save", "Verify", "TestDatabase",
// "CreateInstall", "Add", "Remove", "MoveUp", "MoveDown"): from the desktop's icon theme when it
// has one, otherwise the widget style's own.
QIcon ToolbarImage(const QString& key);

}  // namespace tarn::builder
