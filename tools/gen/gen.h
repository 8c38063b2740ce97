#pragma once
// Korrin's build-time generator: pictures and templates from readable sources.
#include <cstdint>
#include <string>
#include <vector>

// Each writes its files into the folder out; false on failure.
bool writePictures(const std::string& out);
bool writeTemplates(const std::string& out);

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
