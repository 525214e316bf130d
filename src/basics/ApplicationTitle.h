#pragma once

#include <QString>

// The application title that message boxes without a title of their own carry. The main
// window's load sets it from its caption. Kept apart from QGuiApplication::applicationDisplayName,
// which Qt would append to every window title on Linux.
QString applicationTitle();
void setApplicationTitle(const QString& title);
