// The real window over the simulated ASPI manager, WNASPI32.dll beside the
// test program, reading a bus file that describes one ESi disk.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

std::string tempPath(const char* name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + name;
}

bool writeFile(const std::string& path, const void* bytes, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(bytes, 1, size, f) == size;
  return f && std::fclose(f) == 0 && ok;
}

struct ScsiWindow : ShellWindow {
  void SetUp() override {
    EsiImage disk;
    disk.addBank(0, "PIANO", MakeBankData(70000, "PIANO", 1));
    std::string image = tempPath("korrin-scsi.img"), bus = tempPath("korrin-scsi-bus.txt");
    std::string line = "0 1 disk \"" + image + "\" vendor=SEAGATE product=ST32550N\n";
    ASSERT_TRUE(writeFile(image, disk.bytes.data(), disk.bytes.size()));
    ASSERT_TRUE(writeFile(bus, line.data(), line.size()));
    made = {image, bus};
    // Read by the manager when Korrin first asks it, at the scan.
    SetEnvironmentVariableA("KORRIN_BUS", bus.c_str());
    realScsi = true;
    ShellWindow::SetUp();
  }
};

TEST_F(ScsiWindow, ListsTheBanksOfASimulatedDisk) {
  int driver = firstChild(ctx(), ctx().nodes.rootIndex);
  ASSERT_STREQ(ctx().nodes[driver].name, "SCSI Disks");
  int disk = firstChild(ctx(), driver);
  ASSERT_NE(disk, 0) << "no unit from the simulated manager";
  EXPECT_STREQ(ctx().nodes[disk].name, "SEAGATE ST32550N (0, 1)");
  select(disk);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), std::vector<std::string>{"PIANO|B00|68.35 K"});
}

}  // namespace
