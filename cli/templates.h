#pragma once
// The templates the window keeps as resources (a new CD image, the empty
// bank), built into the program from the generator's output.
#include <cstdint>
#include <vector>

// type and id as the resource: "ISO" 198, "E3X" 203. False for any other.
bool LoadTemplate(const char* type, int id, std::vector<std::uint8_t>* bytes);
