#pragma once
// What korrin takes from the system it runs on: its files and whether an
// output stream is a terminal. One implementation per system.
#include <cstdio>

#include "platform/files.h"

Files& NativeFiles();
bool IsTerminal(std::FILE* stream);
