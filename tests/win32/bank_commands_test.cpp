// One session on a real CD image file: the image made from the Add dialog,
// banks moved in and out through the real context menus and dialogs, run by
// the real workers over the Windows file port, and the disk read back.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "esifs/bank_file.h"
#include "resources/resource_ids.h"
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

TEST_F(ShellWindow, BankCommandsOnARealImageFile) {
  std::string folder = app->files.tempFolder();
  std::string imagePath = folder + "korrin_scenario.iso";
  DeleteFileA(imagePath.c_str());
  made.push_back(imagePath);
  actions = {[](HWND d) { PostMessageA(GetDlgItem(d, IDC_CREATE_IMAGE), BM_CLICK, 0, 0); },
             choosePath(imagePath)};
  commands = {CmdAdd};
  rightClickTree(images->driverNode());
  ASSERT_EQ(images->deviceCount(), 1);
  int image = images->device(0).node;
  expand(images->driverNode());
  select(image);  // lists the empty image

  auto importBank = [&](const char* fileName, const Bytes& data) {
    std::string path = folder + fileName;
    made.push_back(path);
    Bytes file = MakeBankFile(data);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    actions.push_back(choosePath(path));
    commands = {CmdImportBank};
    rightClickTree(image);
    EXPECT_TRUE(idle());
  };
  Bytes pad = MakeBankData(40000, "PAD/LEAD?#2", 3);
  importBank("korrin_pad.e3x", pad);
  commands = {CmdImportEmptyBank};
  rightClickTree(image);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), (Texts{"PAD/LEAD?#2|B00|39.06 K", "EMPTY BANK|B01|11 K"}));
  // Its worker goes on to remove the template's temporary copy.
  std::string temporary = folder + "Korrin.tmp";
  EXPECT_TRUE(pumpUntil([&] { return !std::ifstream(temporary); }, 8000));

  // One bank's properties can be edited; several banks' sizes add up.
  std::string shown;
  auto readProperties = [&shown](HWND d) {
    shown.clear();
    for (int id : {IDC_BANK_NAME, IDC_BANK_NUMBER, IDC_BANK_SIZE})
      shown += windowText(GetDlgItem(d, id)) + (IsWindowEnabled(GetDlgItem(d, id)) ? "|" : "-");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  actions = {readProperties, readProperties};
  commands = {CmdBankProperties, CmdBankProperties};
  rightClickRows({1});
  EXPECT_EQ(shown, "EMPTY BANK|B01|11 K|");
  rightClickRows({0, 1});
  EXPECT_EQ(shown, "--50.06 K|");

  std::string exported = folder + "korrin_exported.e3x";
  made.push_back(exported);
  std::string offered;
  actions = {[&](HWND d) {
    offered = windowText(GetDlgItem(d, GetDlgItem(d, cmb13) ? cmb13 : edt1));
    choosePath(exported)(d);
  }};
  commands = {CmdExportBank};
  rightClickRows({0});
  ASSERT_TRUE(idle());
  EXPECT_EQ(offered, "PAD_LEAD__2");
  EXPECT_EQ(readFile(exported), MakeBankFile(pad));

  commands = {CmdDeleteBank};
  rightClickRows({0});
  // An image can be written: the whole Bank menu is offered.
  EXPECT_EQ(opened.back().enabled, (std::vector<UINT>{CmdExportBank, CmdDeleteBank, CmdRenameBank,
                                                      CmdRenumberBank, CmdBankProperties}));
  ASSERT_TRUE(idle());
  importBank("korrin_brass.e3x", MakeBankData(16384, "BRASS", 2));  // takes the freed number 0
  EXPECT_EQ(shownRows(), (Texts{"BRASS|B00|16 K", "EMPTY BANK|B01|11 K"}));

  std::string seen;
  actions = {[&](HWND d) {
               seen = windowText(GetDlgItem(d, IDC_BANK_NAME));
               SetDlgItemTextA(d, IDC_BANK_NAME, "VIOLONCELLO");
               PostMessageA(d, WM_COMMAND, IDOK, 0);
             },
             [&](HWND d) {
               HWND combo = GetDlgItem(d, IDC_BANK_NUMBER);
               seen += ", " + windowText(combo) + " of " +
                       std::to_string(SendMessageA(combo, CB_GETCOUNT, 0, 0));
               SendMessageA(combo, CB_SETCURSEL, 5, 0);
               PostMessageA(d, WM_COMMAND, IDOK, 0);
             }};
  commands = {CmdRenameBank, CmdRenumberBank};
  for (int i = 0; i < 2; ++i) {
    rightClickRows({0});
    ASSERT_TRUE(idle());
  }
  EXPECT_EQ(seen, "BRASS, B00 of 100");
  EXPECT_EQ(shownRows(), (Texts{"EMPTY BANK|B01|11 K", "VIOLONCELLO|B05|16 K"}));
  EXPECT_TRUE(workerTexts.empty());
  LVITEMA row = {};
  row.mask = LVIF_PARAM;
  row.iItem = 1;
  ListView_GetItem(app->list, &row);
  std::uint16_t brassBlock = swap16(ctx().nodes[static_cast<int>(row.lParam)].bankWord);

  commands = {CmdRemove};
  rightClickTree(image);
  EXPECT_EQ(images->deviceCount(), 0);
  EsiImage disk;
  disk.bytes = readFile(imagePath);
  ASSERT_GE(disk.bytes.size(), 512u);
  disk.info = ReadDiskInfo(disk.bytes.data());
  EXPECT_EQ(CheckDiskConsistency(disk.bytes), "");
  // The bank keeps its data under its new name.
  EXPECT_EQ(disk.bankData(brassBlock, 16384), MakeBankData(16384, "VIOLONCELLO", 2));
  EXPECT_TRUE(DeleteFileA(imagePath.c_str()));  // closed
}

}  // namespace
