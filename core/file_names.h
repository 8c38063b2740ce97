#pragma once
// Default file names made from names on a sampler or in a bank.
#include <string>

// Cleans a name into a default file name: \ / : ? " < > | # become "_".
std::string cleanFileName(const std::string& name);
