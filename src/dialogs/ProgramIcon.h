#pragma once

#include <QPixmap>

// The program's own picture, a note pad, at size x size pixels.
QPixmap programIcon(int size);
