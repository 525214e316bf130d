#pragma once

#include <QPixmap>
#include <QString>

// tlBarImg: the 35 x 35 pictures of the toolbar buttons, drawn here so that no image files
// are needed. key is the button's key ("Save", "Open", "NewFile", "Print", "Halp").
QPixmap toolbarPicture(const QString& key);
