#pragma once

struct Platform;

// Registers the .nv document type for this user; every failure is passed over in silence.
void associateDocumentType(Platform& platform);
