// Sessions on real image files: banks moved in and out through the real
// context menus and dialogs, run by the real workers over the Windows file
// port, and the disk read back.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <fstream>

#include "esifs/bank_file.h"
#include "resources/resource_ids.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

using Texts = std::vector<std::string>;

// A CD image made from the Add dialog.
TEST_F(ShellWindow, BankCommandsOnARealImageFile) {
  std::string imagePath = tempFile("korrin_scenario.iso");
  onTree(images->driverNode(), CmdAdd,
         {[](HWND d) { PostMessageA(GetDlgItem(d, IDC_CREATE_IMAGE), BM_CLICK, 0, 0); },
          choosePath(imagePath)});
  ASSERT_EQ(images->deviceCount(), 1);
  int image = images->device(0).node;
  expand(images->driverNode());
  select(image);  // lists the empty image

  Bytes pad = MakeBankData(40000, "PAD/LEAD?#2", 3);
  EXPECT_TRUE(
      onTree(image, CmdImportBank, {choosePath(tempFile("korrin_pad.e3x", MakeBankFile(pad)))}));
  ASSERT_TRUE(onTree(image, CmdImportEmptyBank));
  EXPECT_EQ(shownRows(), (Texts{"PAD/LEAD?#2|B00|39.06 K", "EMPTY BANK|B01|11 K"}));
  // Its worker goes on to remove the template's temporary copy.
  std::string temporary = tempFile("Korrin.tmp");
  EXPECT_TRUE(pumpUntil([&] { return !std::ifstream(temporary); }, 8000));

  // One bank's properties can be edited; several banks' sizes add up.
  std::string shown;
  auto readProperties = [&shown](HWND d) {
    shown.clear();
    for (int id : {IDC_BANK_NAME, IDC_BANK_NUMBER, IDC_BANK_SIZE})
      shown += windowText(GetDlgItem(d, id)) + (IsWindowEnabled(GetDlgItem(d, id)) ? "|" : "-");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  onRows({1}, CmdBankProperties, {readProperties});
  EXPECT_EQ(shown, "EMPTY BANK|B01|11 K|");
  onRows({0, 1}, CmdBankProperties, {readProperties});
  EXPECT_EQ(shown, "--50.06 K|");

  std::string exported = tempFile("korrin_exported.e3x"), offered;
  ASSERT_TRUE(onRows({0}, CmdExportBank, {[&](HWND d) {
                       offered = windowText(GetDlgItem(d, GetDlgItem(d, cmb13) ? cmb13 : edt1));
                       choosePath(exported)(d);
                     }}));
  EXPECT_EQ(offered, "PAD_LEAD__2");
  EXPECT_EQ(readFile(exported), MakeBankFile(pad));

  std::string seen;
  ASSERT_TRUE(onRows({0}, CmdRenameBank, {[&](HWND d) {
                       seen = windowText(GetDlgItem(d, IDC_BANK_NAME));
                       SetDlgItemTextA(d, IDC_BANK_NAME, "VIOLONCELLO");
                       PostMessageA(d, WM_COMMAND, IDOK, 0);
                     }}));
  ASSERT_TRUE(onRows({0}, CmdRenumberBank, {[&](HWND d) {
                       HWND combo = GetDlgItem(d, IDC_BANK_NUMBER);
                       seen += ", " + windowText(combo) + " of " +
                               std::to_string(SendMessageA(combo, CB_GETCOUNT, 0, 0));
                       SendMessageA(combo, CB_SETCURSEL, 5, 0);
                       PostMessageA(d, WM_COMMAND, IDOK, 0);
                     }}));
  EXPECT_EQ(seen, "PAD/LEAD?#2, B00 of 100");
  ASSERT_TRUE(onRows({0}, CmdDeleteBank));  // the empty bank, listed first now
  // An image can be written: the whole Bank menu is offered.
  EXPECT_EQ(opened.back().enabled, (std::vector<UINT>{CmdExportBank, CmdDeleteBank, CmdRenameBank,
                                                      CmdRenumberBank, CmdBankProperties}));
  EXPECT_EQ(shownRows(), (Texts{"VIOLONCELLO|B05|39.06 K"}));
  EXPECT_TRUE(workerTexts.empty());
  std::uint16_t block = swap16(ctx().nodes[nodeNamed("VIOLONCELLO")].bankWord);

  onTree(image, CmdRemove);
  EXPECT_EQ(images->deviceCount(), 0);
  EsiImage disk;
  disk.bytes = readFile(imagePath);
  ASSERT_GE(disk.bytes.size(), 512u);
  disk.info = ReadDiskInfo(disk.bytes.data());
  EXPECT_EQ(CheckDiskConsistency(disk.bytes), "");
  // The bank keeps its data under its new name.
  EXPECT_EQ(disk.bankData(block, 40000), MakeBankData(40000, "VIOLONCELLO", 3));
  EXPECT_TRUE(DeleteFileA(imagePath.c_str()));  // closed
}

// A hard disk image of a SCSI disk emulator, holding a sampler's bank.
TEST_F(ShellWindow, AddImportAndExportOnAnEmulatorsImage) {
  EsiImage disk;
  Bytes piano = MakeBankData(70000, "PIANO", 1), strings = MakeBankData(30000, "STRINGS", 2);
  disk.addBank(0, "PIANO", piano);
  std::string image = tempFile("HD0.img", disk.bytes), out = tempFile("korrin_out.e3x");

  int driver = nodeNamed("Disk image files");
  onTree(driver, CmdAdd, {choosePath(image)});
  int device = nodeNamed("HD0.img");
  ASSERT_NE(device, 0) << "the image did not open";
  expand(driver);
  select(device);
  ASSERT_TRUE(idle());

  ASSERT_TRUE(onTree(device, CmdImportBank,
                     {choosePath(tempFile("korrin_in.e3x", MakeBankFile(strings)))}));
  EXPECT_EQ(shownRows(), (Texts{"PIANO|B00|68.35 K", "STRINGS|B01|29.29 K"}));
  ASSERT_TRUE(onRows({1}, CmdExportBank, {choosePath(out)}));
  EXPECT_EQ(readFile(out), MakeBankFile(strings));
  EXPECT_TRUE(workerTexts.empty());

  onTree(device, CmdRemove);
  disk.bytes = readFile(image);
  EXPECT_EQ(CheckDiskConsistency(disk.bytes), "");
  EXPECT_EQ(disk.bankData(1, 70000), piano);
}

}  // namespace
