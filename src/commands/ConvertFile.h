#pragma once

struct DocumentSeams;

// Convert File: writes a chosen file's content under another name, in the document format.
// The document in hand is not touched.
void convertFile(const DocumentSeams& seams);
