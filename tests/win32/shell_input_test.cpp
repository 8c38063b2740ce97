// The keys and Explorer drops, sent to the real window as Windows would send
// them, running the same commands as the menus on a real disk image.
#include <windows.h>

#include "audio/wav.h"
#include "resources/resource_ids.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

using Texts = std::vector<std::string>;
const Texts kBanks = {"PIANO|B00|68.35 K", "STRINGS|B01|29.29 K"};

struct InputWindow : ShellWindow {
  EsiImage disk;
  std::string image;
  int device = 0;
  std::vector<std::string> boxes;  // texts of the message boxes answered

  void SetUp() override {
    ShellWindow::SetUp();
    disk.addBank(0, "PIANO", MakeBankData(70000, "PIANO", 1));
    disk.addBank(1, "STRINGS", MakeBankData(30000, "STRINGS", 2));
    image = tempFile("HD0.img", disk.bytes);
    onTree(nodeNamed("Disk image files"), CmdAdd, {choosePath(image)});
    device = nodeNamed("HD0.img");
    ASSERT_NE(device, 0);
    expand(nodeNamed("Disk image files"));
    select(device);
    ASSERT_TRUE(idle());
  }
  DialogAction box() {
    return [this](HWND d) {
      char text[256] = {};
      GetDlgItemTextA(d, 0xFFFF, text, sizeof text);
      boxes.push_back(text);
      PostMessageA(d, WM_COMMAND, IDOK, 0);
    };
  }
};

TEST_F(InputWindow, KeysRunTheMenuCommands) {
  std::string renamed;
  DialogAction rename = [&](HWND d) {
    renamed = windowText(GetDlgItem(d, IDC_BANK_NAME));
    SetDlgItemTextA(d, IDC_BANK_NAME, "CELLO");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  const Texts renamedRows = {kBanks[0], "CELLO|B01|29.29 K"}, opened = {};
  struct Case {
    bool onTree;
    int row;  // selected first; -1 keeps the selection
    WORD vk;
    bool busy;
    DialogAction answer;
    Texts rows;  // none: the bank is open
  } cases[] = {
      // clang-format off
      {false,  0, VK_RETURN, false, nullptr, opened},
      {false, -1, VK_BACK,   false, nullptr, kBanks},
      {false,  1, VK_F2,     false, rename,  renamedRows},
      {false,  0, VK_DELETE, true,  nullptr, renamedRows},  // busy: nothing
      {false,  0, VK_DELETE, false, nullptr, renamedRows},  // the question cancelled
      {false,  0, VK_DELETE, false, answerOk, {renamedRows[1]}},
      {true,  -1, VK_F5,     false, nullptr, {renamedRows[1]}},
      // clang-format on
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.vk);
    answerWith(c.answer ? std::deque<DialogAction>{c.answer} : std::deque<DialogAction>{});
    ctx().busy = c.busy;
    key(c.onTree ? app->tree : app->list, c.row, c.vk);
    ctx().busy = 0;
    EXPECT_EQ(ctx().nodes[ctx().nodes.selectedNode].type == OpenedBank, c.rows.empty());
    if (!c.rows.empty()) {
      EXPECT_EQ(shownRows(), c.rows);
    }
  }
  EXPECT_EQ(renamed, "STRINGS");
  EXPECT_TRUE(workerTexts.empty());

  // Ctrl+A selects every row; the context-menu key opens the rows' menu.
  onTree(device, CmdImportEmptyBank);
  key(app->list, 0, 'A', true);
  EXPECT_EQ(ListView_GetSelectedCount(app->list), 2u);
  SendMessageA(app->window, WM_CONTEXTMENU, WPARAM(app->list), -1);
  ASSERT_FALSE(this->opened.empty());
  EXPECT_EQ(this->opened.back().enabled, (std::vector<UINT>{CmdBankProperties}));
  onTree(device, CmdRemove);  // the next test opens the file again
}

TEST_F(InputWindow, DropsRunTheMenuCommands) {
  Bytes brass = MakeBankData(20000, "BRASS", 3);
  WavHeader h = MakeWavHeader(1, 22050, 16, 1000);
  Bytes wav(h.bytes, h.bytes + kWavHeaderSize);
  wav.resize(wav.size() + 2000, 0x11);
  std::string bank = tempFile("korrin_brass.e3x", MakeBankFile(brass));
  std::string a = tempFile("korrin_a.wav", wav), b = tempFile("korrin_b.wav", wav);
  std::string hd1 = tempFile("HD1.img", EsiImage().bytes);
  DialogAction name = [](HWND d) {
    SetDlgItemTextA(d, IDC_BANK_NAME, "WAVS");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  int images = nodeNamed("Disk image files");
  const Texts withBrass = {kBanks[0], kBanks[1], "BRASS|B02|19.53 K"};
  struct Case {
    int node;  // 0: the list
    std::vector<std::string> files;
    bool busy;
    DialogAction answer;
    Texts rows, boxes;
  } cases[] = {
      // clang-format off
      {device, {bank}, false, nullptr, withBrass, {}},
      {0, {a, b}, false, name, {withBrass[0], withBrass[1], withBrass[2], "WAVS|B03|14.94 K"}, {}},
      {device, {bank}, true, box(), {}, {"Korrin is busy and cannot take korrin_brass.e3x now"}},
      {images, {bank, a}, false, box(), {}, {"Korrin cannot take korrin_brass.e3x, korrin_a.wav there"}},
      {images, {hd1}, false, nullptr, {}, {}},
      // clang-format on
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.files[0]);
    boxes.clear();
    answerWith(c.answer ? std::deque<DialogAction>{c.answer} : std::deque<DialogAction>{});
    ctx().busy = c.busy;
    drop(c.node, c.files);
    ctx().busy = 0;
    if (!c.rows.empty()) {
      EXPECT_EQ(shownRows(), c.rows);
    }
    EXPECT_EQ(boxes, c.boxes);
  }
  EXPECT_NE(nodeNamed("HD1.img"), 0);
  EXPECT_TRUE(workerTexts.empty());
  std::uint16_t block = swap16(ctx().nodes[nodeNamed("BRASS")].bankWord);
  onTree(device, CmdRemove);
  onTree(nodeNamed("HD1.img"), CmdRemove);
  disk.bytes = readFile(image);
  disk.info = ReadDiskInfo(disk.bytes.data());
  EXPECT_EQ(CheckDiskConsistency(disk.bytes), "");
  EXPECT_EQ(disk.bankData(block, 20000), brass);
}

}  // namespace
