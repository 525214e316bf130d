#include "firstrun/FileAssociation.h"

void associateDocumentType(Platform& /*platform*/) {}
