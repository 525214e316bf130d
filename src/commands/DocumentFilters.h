#pragma once

#include <QString>

// The file dialogs' filter strings (description|pattern pairs) and titles of the document
// commands.
namespace DocumentFilters {
inline const QString Notavo = QStringLiteral("Notavo Files (*.nv)|*.nv");
// Open Custom and Convert File: seven kinds.
inline const QString OpenCustom = QStringLiteral(
    "Notavo Files (*.nv)|*.nv|Text Files (*.txt)|*.txt|DAT File (Data File) (*.dat)|*.dat|"
    "PWN Script (*.pwn)|*.pwn|PWN Include (*.inc)|*.inc|Configuration File (*.cfg)|*.cfg|"
    "Other (*.*)|*.*");
// Save Custom offers six: no configuration files.
inline const QString SaveCustom = QStringLiteral(
    "Notavo Files (*.nv)|*.nv|Text Files (*.txt)|*.txt|DAT File (Data File) (*.dat)|*.dat|"
    "PWN Script (*.pwn)|*.pwn|PWN Include (*.inc)|*.inc|Other (*.*)|*.*");
inline const QString ClearSave = QStringLiteral("*.nv|*.nv");

inline const QString OpenTitle = QStringLiteral("Notavo | Open File");
inline const QString SaveTitle = QStringLiteral("Notavo | Save File");
inline const QString SaveCustomTitle = QStringLiteral("Notavo | Save File As Custom");
inline const QString ConvertSourceTitle =
    QStringLiteral("Notavo | Convert File | Choose file to be converted");
inline const QString ConvertTargetTitle =
    QStringLiteral("Notavo | Convert File | Choose where to save converted file");
} // namespace DocumentFilters
