// The real window over the simulated ASPI manager, WNASPI32.dll beside the
// test program, reading a bus file that describes one ESi disk.
#include <windows.h>

#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

struct ScsiWindow : ShellWindow {
  void SetUp() override {
    EsiImage disk;
    disk.addBank(0, "PIANO", MakeBankData(70000, "PIANO", 1));
    std::string line = "0 1 disk \"" + tempFile("korrin-scsi.img", disk.bytes) +
                       "\" vendor=SEAGATE product=ST32550N\n";
    // Read by the manager when Korrin first asks it, at the scan.
    SetEnvironmentVariableA(
        "KORRIN_BUS", tempFile("korrin-scsi-bus.txt", Bytes(line.begin(), line.end())).c_str());
    realScsi = true;
    ShellWindow::SetUp();
  }
};

TEST_F(ScsiWindow, ListsTheBanksOfASimulatedDisk) {
  int disk = firstChild(ctx(), nodeNamed("SCSI Disks"));
  ASSERT_NE(disk, 0) << "no unit from the simulated manager";
  EXPECT_STREQ(ctx().nodes[disk].name, "SEAGATE ST32550N (0, 1)");
  select(disk);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), std::vector<std::string>{"PIANO|B00|68.35 K"});
}

}  // namespace
