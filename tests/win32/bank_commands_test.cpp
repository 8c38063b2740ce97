// Sessions on real image files: banks moved in and out through the real
// context menus and dialogs, run by the real workers over the Windows file
// port, and the disk read back.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <fstream>

#include "audio/wav.h"
#include "esifs/bank_builder.h"
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
  EXPECT_EQ(shownRows(), (Texts{"PAD/LEAD?#2|B00|39.06 K", "EMPTY BANK|B01|10.86 K"}));
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
  EXPECT_EQ(shown, "EMPTY BANK|B01|10.86 K|");
  onRows({0, 1}, CmdBankProperties, {readProperties});
  EXPECT_EQ(shown, "--49.92 K|");

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
  ASSERT_TRUE(onRows({0}, CmdDeleteBank, {answerOk}));  // the empty bank, listed first now
  // An image can be written: the whole Bank menu is offered.
  EXPECT_EQ(opened.back().enabled,
            (std::vector<UINT>{CmdOpenBank, CmdExportBank, CmdDeleteBank, CmdRenameBank,
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

// A 16-bit WAV file of some noise, looped from frame 10 to 20 before its end.
Bytes wavFile(int channels, std::uint32_t rate, std::uint32_t frames, bool loops) {
  WavHeader header = MakeWavHeader(channels, rate, 16, frames);
  Bytes f(header.bytes, header.bytes + kWavHeaderSize);
  for (std::uint32_t i = 0; i < frames * channels; ++i)
    f.insert(f.end(), {std::uint8_t(i * 7), std::uint8_t(i >> 2)});
  if (loops) {
    std::uint8_t smpl[kSmplChunkSize];
    MakeSmplChunk(10, frames - 20, smpl);
    f.insert(f.end(), smpl, smpl + kSmplChunkSize);
  }
  PutLittle32(&f[4], std::uint32_t(f.size() - 8));
  return f;
}

// A bank built from WAV files by the core, on an emulator's image: opened by a
// double click, its samples extracted, and a second bank built onto the image
// from WAV files picked together.
TEST_F(ShellWindow, OpenABankExtractItsSamplesAndBuildOneFromWavFiles) {
  std::string kick = tempFile("korrin_kick.wav", wavFile(1, 22050, 1000, true));
  std::string pad = tempFile("korrin_pad.wav", wavFile(2, 44100, 3000, false));
  BankPlan plan;
  std::string why;
  ASSERT_TRUE(PlanBank(ctx().files, {pad, kick}, "DRUMS", &plan, &why)) << why;
  Bytes bank(plan.size);
  {
    BankBuilder builder(ctx().files, plan);  // holds its last file open
    char name[16];
    std::uint64_t size = 0;
    ASSERT_TRUE(builder.begin(name, &size) && builder.read(bank.data(), plan.size));
  }
  EsiImage disk;
  disk.addBank(0, "DRUMS", bank);
  std::string image = tempFile("HD1.img", disk.bytes);

  int driver = nodeNamed("Disk image files");
  onTree(driver, CmdAdd, {choosePath(image)});
  int device = nodeNamed("HD1.img");
  ASSERT_NE(device, 0) << "the image did not open";
  expand(driver);
  select(device);
  ASSERT_TRUE(idle());
  ListView_SetItemState(app->list, 0, LVIS_SELECTED, LVIS_SELECTED);
  NMHDR click = {app->list, 0, UINT(NM_DBLCLK)};
  SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  int opened = ctx().nodes.count - 1;
  while (opened > 0 && ctx().nodes[opened].type != OpenedBank)
    --opened;
  ASSERT_STREQ(ctx().nodes[opened].name, "DRUMS");
  EXPECT_EQ(TreeView_GetSelection(app->tree), item(opened));
  EXPECT_EQ(shownRows(), (Texts{"korrin_kick|S001|2.04 K|1|22050|0.05|Yes",
                                "korrin_pad|S002|11.80 K|2|44100|0.07|No"}));

  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  std::string out = std::string(folder) + "korrin_extracted\\", offered;
  CreateDirectoryA(out.c_str(), nullptr);
  std::string files[] = {tempFile("korrin_extracted\\001 korrin_kick.wav"),
                         tempFile("korrin_extracted\\002 korrin_pad.wav")};
  ASSERT_TRUE(onTree(opened, CmdExtractAllSamples, {[&](HWND d) {
                       offered = windowText(GetDlgItem(d, GetDlgItem(d, cmb13) ? cmb13 : edt1));
                       choosePath(out + "any.wav")(d);
                     }}));
  EXPECT_EQ(offered, "001 korrin_kick.wav");
  EXPECT_EQ(readFile(files[0]).size(), 44u + 2000 + kSmplChunkSize);
  EXPECT_EQ(readFile(files[1]).size(), 44u + 12000);
  for (const std::string& f : files)
    DeleteFileA(f.c_str());
  RemoveDirectoryA(out.c_str());

  // Both files in one Open dialog: its folder first, then their names.
  select(device);
  ASSERT_TRUE(onTree(device, CmdNewBankFromWav,
                     {[&](HWND d) {
                        SetDlgItemTextA(d, cmb13, folder);
                        SetDlgItemTextA(d, edt1, folder);
                        SendMessageA(d, WM_COMMAND, IDOK, 0);
                        choosePath("\"korrin_pad.wav\" \"korrin_kick.wav\"")(d);
                      },
                      [](HWND d) {
                        SetDlgItemTextA(d, IDC_BANK_NAME, "MORE DRUMS");
                        PostMessageA(d, WM_COMMAND, IDOK, 0);
                      }}));
  EXPECT_EQ(shownRows(), (Texts{"DRUMS|B00|24.71 K", "MORE DRUMS|B01|24.71 K"}));
  EXPECT_TRUE(workerTexts.empty());
  onTree(device, CmdRemove);
  disk.bytes = readFile(image);
  EXPECT_EQ(CheckDiskConsistency(disk.bytes), "");
}

}  // namespace
