#pragma once
// The bus description file, korrin-bus.txt: one unit a line,
//   adapter target kind source [key=value ...]
// with '#' starting a comment. A line that does not read is skipped and said
// why; nothing in the file can stop the others from being read.
#include <string>
#include <vector>

#include "sim/scsi_unit.h"

struct BusDescription {
  std::vector<SimUnitConfig> units;
  std::vector<std::string> skipped;  // "line N: why", one per line skipped
};

// folder: where a relative source is taken from, ending in a separator.
BusDescription ParseBusText(const std::string& text, const std::string& folder);
