#pragma once

#include <QString>

class QWidget;

// The current printer. The printer dialog chooses it; a print job puts a page-sized window on it
// as exactly one page.
class Printer {
public:
    virtual ~Printer() = default;

    // Prints the window's image as one page. False when the job could not be done; failure then
    // says why, in words for the user.
    [[nodiscard]] virtual bool printPage(QWidget& page, QString& failure) = 0;
};
