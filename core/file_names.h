#pragma once
// Default file names made from names on a sampler or in a bank.
#include <cstddef>
#include <string>
#include <vector>

// Cleans a name into a default file name: \ / : ? " < > | # become "_".
std::string cleanFileName(const std::string& name);

// The files an Open dialog that picks several gives back: the buffer holds
// one full path, or a folder followed by the names chosen in it, each ending
// in a zero and the list in a second one. Nothing past size is read.
std::vector<std::string> SplitChosenFiles(const char* buffer, std::size_t size);

// The folder of a path, with its separator; empty for a bare name.
std::string FolderOf(const std::string& path);
