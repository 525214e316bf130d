#pragma once

class QString;
struct Platform;

// Registers the .nv document type for this user; every failure is passed over in silence.
void associateDocumentType(Platform& platform);
// The same for a given program file (the running executable in the form above).
void associateDocumentType(Platform& platform, const QString& programFile);
