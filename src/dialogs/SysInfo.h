#pragma once

#include <QString>
#include <cstdint>

class MessageBox;
class QWidget;
class Shell;
class SystemRegistry;

// Reads one value of a registry key into KeyVal: a string as its text without the trailing
// NUL, a 32-bit number as "&h" and hexadecimal digits; any other type leaves KeyVal as it
// was. The key is closed again whenever it was opened. True when the value was read.
bool GetKeyValue(SystemRegistry& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal);

// Starts the system-information program that the registry names, or says that there is none.
void StartSysInfo(SystemRegistry* registry, Shell* shell, MessageBox& messages, QWidget* parent);
