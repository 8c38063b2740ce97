#pragma once
// The program's entry: one copy at a time, the windows, the message loop.
#include <windows.h>

// Runs Korrin; the exit code of the message loop, or 0 when another copy
// already runs (it is told to show "Already running").
int runKorrin(HINSTANCE instance, int show);
