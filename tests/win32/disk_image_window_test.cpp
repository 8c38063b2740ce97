// A hard disk image of a SCSI disk emulator through the real window: added
// from the file dialog, a bank imported and exported again, the file left a
// sound disk with the sampler's bank untouched.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

struct DiskImageWindow : ShellWindow {
  void SetUp() override {
    withDiskImages = true;
    ShellWindow::SetUp();
  }
};

TEST_F(DiskImageWindow, AddImportAndExportOnAnEmulatorsImage) {
  std::string folder = app->files.tempFolder();
  std::string image = folder + "HD0.img", in = folder + "korrin_in.e3x",
              out = folder + "korrin_out.e3x";
  made = {image, in, out};
  EsiImage disk;
  Bytes piano = MakeBankData(70000, "PIANO", 1), strings = MakeBankData(30000, "STRINGS", 2);
  disk.addBank(0, "PIANO", piano);
  writeFile(image, disk.bytes);

  int driver = 0;
  for (int i = 1; i < ctx().nodes.count; ++i) {
    if (std::string(ctx().nodes[i].name) == "Disk image files")
      driver = i;
  }
  ASSERT_NE(driver, 0);
  actions = {choosePath(image)};
  commands = {CmdAdd};
  rightClickTree(driver);
  int device = firstChild(ctx(), driver);
  ASSERT_NE(device, 0) << "the image did not open";
  EXPECT_STREQ(ctx().nodes[device].name, "HD0.img");
  expand(driver);
  select(device);
  ASSERT_TRUE(idle());

  writeFile(in, MakeBankFile(strings));
  actions = {choosePath(in)};
  commands = {CmdImportBank};
  rightClickTree(device);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), (Texts{"PIANO|B00|68.35 K", "STRINGS|B01|29.29 K"}));
  actions = {choosePath(out)};
  commands = {CmdExportBank};
  rightClickRows({1});
  ASSERT_TRUE(idle());
  EXPECT_EQ(readFile(out), MakeBankFile(strings));
  EXPECT_TRUE(workerTexts.empty());

  commands = {CmdRemove};
  rightClickTree(device);
  Bytes after = readFile(image);
  EXPECT_EQ(CheckDiskConsistency(after), "");
  disk.bytes = after;
  EXPECT_EQ(disk.bankData(1, 70000), piano);
}

}  // namespace
