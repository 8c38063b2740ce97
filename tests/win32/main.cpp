// Runs the Windows tests: the real window code under Wine.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/win32/ui_driver.h"

int main(int argc, char** argv) {
  int code = 0;
  if (rerunWithoutWindowManagement(&code))
    return code;
  InitCommonControls();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
