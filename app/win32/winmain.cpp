// Korrin's entry point.
#include <windows.h>

#include "app/win32/entry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return runKorrin(instance, show);
}
