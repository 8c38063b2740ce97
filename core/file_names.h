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
// The name of a path without its folder.
std::string BaseName(const std::string& path);
// The text with A-Z as a-z, for names compared without regard to case.
std::string LowerCase(std::string text);
// The extension of a path's name in lower case (".wav"); empty for none.
std::string LowerExtension(const std::string& path);
