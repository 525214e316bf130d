#pragma once

#include "document/TextEncodings.h"

struct DocumentSeams;

// Reads the bytes of the document's file again in the encoding given, in place of the text; the
// file itself is never changed. Asks first when the text was edited since it was read.
void reopenWithEncoding(const DocumentSeams& seams, TextEncoding encoding);
