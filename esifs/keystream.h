#pragma once
// The XOR keystream of bank files and of the built-in templates. It is its
// own inverse for a buffer that begins with "EMU" or never comes to.
#include <cstdint>

void BankKeystream(std::uint8_t* buffer, std::uint32_t length, std::uint32_t position);
