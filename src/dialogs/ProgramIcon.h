#pragma once

#include <QColor>
#include <QPixmap>

// The colours of the note pad picture: its page, the band at its top, its outline and lines.
struct NotepadColours {
    QColor page;
    QColor band;
    QColor outline;
    QColor lines;
};

// A note pad drawn at 48 x 48 pixels in the given colours.
QPixmap notepadPicture(const NotepadColours& colours);

// The program's own picture, a note pad, at size x size pixels.
QPixmap programIcon(int size);
