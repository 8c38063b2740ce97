// The Disk and Bank menu commands on a real CD image file: chosen in the
// context menus of the real main window, answered in the real dialogs, run by
// the real workers on their own threads over the Windows file port.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/win32/main_window.h"
#include "esifs/bank_file.h"
#include "esifs/disk_info.h"
#include "media/cd_image_driver.h"
#include "media/image_commands.h"
#include "resources/resource_ids.h"
#include "tests/support/disk_check.h"
#include "tests/support/esi_image.h"
#include "tests/win32/ui_driver.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Long enough for any command here on a slow machine, short enough that a
// command that never ends fails the test instead of holding up the run.
constexpr DWORD kWaitMs = 8000;

bool writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

Bytes readFile(const std::string& path) {
  Bytes bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Row {
  std::string name, id, size;
  bool operator==(const Row& o) const { return name == o.name && id == o.id && size == o.size; }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "{" << r.name << ", " << r.id << ", " << r.size << "}";
}

// Answers a file dialog with a path, as a user typing it would.
DialogAnswerer::Action choosePath(const std::string& path) {
  return [path](HWND d) {
    SetDlgItemTextA(d, cmb13, path.c_str());
    SetDlgItemTextA(d, edt1, path.c_str());
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
}

class BankCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    forgetRegisteredImages();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    app = std::make_unique<MainWindow>(instance, "Korrin", "Korrin199909");
    loadMenus(*app);
    ASSERT_TRUE(registerWindowClasses(instance, app->mainClassName));
    app->startupDrivers = createDrivers(ctx());
    installOperations(ctx());
    createMainWindows(*app, SW_SHOWNORMAL);
    ASSERT_TRUE(pumpUntil([&] { return !ctx().busy && !ctx().splash.shown(); }));
    images = FindCdImageDriver(ctx());
    ASSERT_NE(images, nullptr);

    folder = app->files.tempFolder() + "korrin_bank_commands\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    imagePath = folder + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".iso";
    DeleteFileA(imagePath.c_str());
    ASSERT_TRUE(CreateImageFile(ctx(), imagePath));
    ASSERT_TRUE(AddImageFile(ctx(), imagePath));
    ASSERT_EQ(images->deviceCount(), 1);
    image = images->device(0).node;
    expand(images->driverNode());
    select(image);  // lists the empty image
    ASSERT_EQ(ctx().nodes[image].ready, 1);
    ASSERT_EQ(rows(), 0);
  }

  void TearDown() override {
    if (!app)
      return;
    pumpUntil([&] {
      workerBoxes.answer();
      return !ctx().busy;
    });
    // Nothing closes an image at the end of a run; a test that stopped
    // half way must not keep its file.
    for (int i = 0; images && i < images->deviceCount(); ++i)
      app->files.close(images->device(i).file);
    if (IsWindow(app->window))
      DestroyWindow(app->window);
    pumpFor(20);
    app.reset();
    for (const std::string& path : made)
      DeleteFileA(path.c_str());
    DeleteFileA(imagePath.c_str());
    RemoveDirectoryA(folder.c_str());
  }

  ShellContext& ctx() { return app->ctx; }
  HTREEITEM item(int node) { return reinterpret_cast<HTREEITEM>(ctx().nodes[node].treeItem); }
  void expand(int node) { TreeView_Expand(app->tree, item(node), TVE_EXPAND); }
  void select(int node) { TreeView_SelectItem(app->tree, item(node)); }
  int rows() { return ListView_GetItemCount(app->list); }
  std::string rowText(int row, int column) { return listCellText(app->list, row, column); }
  std::vector<Row> shownRows() {
    std::vector<Row> out;
    for (int row = 0; row < rows(); ++row)
      out.push_back({rowText(row, 0), rowText(row, 1), rowText(row, 2)});
    return out;
  }
  // The bank node behind a row.
  int bankAt(int row) {
    LVITEMA lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = row;
    ListView_GetItem(app->list, &lv);
    return static_cast<int>(lv.lParam);
  }
  void notify(HWND from, UINT code) {
    NMHDR header = {from, 0, code};
    SendMessageA(app->window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }
  // Right-clicks the image's item in the tree, with the pointer over it.
  void rightClickImage() {
    RECT r;
    HTREEITEM handle = item(image);
    std::memcpy(&r, &handle, sizeof handle);
    ASSERT_TRUE(SendMessageA(app->tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(app->tree, &at);
    SetCursorPos(at.x, at.y);
    notify(app->tree, NM_RCLICK);
  }
  // Selects the rows and right-clicks them in the list.
  void rightClickRows(std::initializer_list<int> chosen) {
    ListView_SetItemState(app->list, -1, 0, LVIS_SELECTED);
    for (int row : chosen)
      ListView_SetItemState(app->list, row, LVIS_SELECTED, LVIS_SELECTED);
    notify(app->list, NM_RCLICK);
  }
  // Pumps until the running command has ended, answering worker messages.
  bool idle() {
    return pumpUntil(
        [&] {
          workerBoxes.answer();
          return !ctx().busy;
        },
        kWaitMs);
  }

  std::string bankFile(const char* fileName, const Bytes& data) {
    std::string path = folder + fileName;
    made.push_back(path);
    EXPECT_TRUE(writeFile(path, MakeBankFile(data)));
    return path;
  }
  // Disk > Import Bank... of a bank file holding the data.
  void importBank(const char* fileName, const Bytes& data) {
    dialogs.actions.push_back(choosePath(bankFile(fileName, data)));
    menus.keys = {'i'};  // &Import &Bank...
    rightClickImage();
    ASSERT_TRUE(idle());
  }

  // Sends a sector transfer to the image, as the bank operations do.
  bool transfer(DiskOsCode code, std::uint32_t sector, std::uint32_t count, std::uint8_t* buffer) {
    DiskOsRequest r = makeRequest(code, static_cast<DiskOsWord>(ctx().nodes[image].device));
    r.par0 = sector;
    r.par1 = count;
    r.bufI = reinterpret_cast<DiskOsWord>(buffer);
    r.bIsz = count * 512;
    r.diskOs = static_cast<DiskOsWord>(ctx().nodes[image].diskOs);
    return SendDiskOs(ctx(), r) == 0;
  }

  // Disk > Remove, which closes the image file; then its bytes.
  Bytes removeImageAndRead() {
    menus.keys = {'r'};  // &Remove
    rightClickImage();
    EXPECT_EQ(images->deviceCount(), 0);
    return readFile(imagePath);
  }

  static std::uint16_t firstBlockOf(const TreeNode& bank) { return swap16(bank.bankWord); }
  // n bytes of the disk from the start of a block; empty where the image ends first.
  static Bytes blockBytes(const Bytes& disk, std::uint16_t block, std::size_t n) {
    if (disk.size() < 512 || block == 0)
      return {};
    DiskInfo d = ReadDiskInfo(disk.data());
    std::size_t at =
        (d.dataSector + std::size_t{block - 1u} * (128u << (d.blockSizeCode - 1))) * 512;
    if (at + n > disk.size())
      return {};
    return Bytes(disk.begin() + at, disk.begin() + at + n);
  }

  std::unique_ptr<MainWindow> app;
  CdImageDriver* images = nullptr;
  int image = 0;
  std::string folder, imagePath;
  std::vector<std::string> made;
  MenuWatcher menus;
  DialogAnswerer dialogs;
  WorkerMessageBoxes workerBoxes;
};

TEST_F(BankCommands, ImportPropertiesExportDeleteAndImportAgain) {
  Bytes pad = MakeBankData(40000, "PAD/LEAD?#2", 3);
  importBank("pad.e3x", pad);
  EXPECT_EQ(dialogs.titles, (std::vector<std::string>{"Import bank"}));
  EXPECT_EQ(shownRows(), (std::vector<Row>{{"PAD/LEAD?#2", "B00", "39.06 K"}}));
  std::uint16_t padBlock = firstBlockOf(ctx().nodes[bankAt(0)]);

  std::string temporary = app->files.tempFolder() + "Korrin.tmp";
  menus.keys = {'e'};  // Import &Empty Bank
  rightClickImage();
  ASSERT_TRUE(idle());
  ASSERT_EQ(rows(), 2);
  EXPECT_EQ(shownRows()[1], (Row{"EMPTY BANK", "B01", "11 K"}));
  EXPECT_EQ(ctx().nodes[bankAt(1)].size, 11265u);
  EXPECT_TRUE(pumpUntil([&] { return !fileExists(temporary); }, kWaitMs));

  struct Shown {
    std::string name, number, size;
    bool nameEnabled = false, numberEnabled = false;
  } shown;
  auto readProperties = [&shown](HWND d) {
    char text[64] = {};
    GetDlgItemTextA(d, IDC_BANK_NAME, text, sizeof text);
    shown.name = text;
    GetDlgItemTextA(d, IDC_BANK_NUMBER, text, sizeof text);
    shown.number = text;
    GetDlgItemTextA(d, IDC_BANK_SIZE, text, sizeof text);
    shown.size = text;
    shown.nameEnabled = IsWindowEnabled(GetDlgItem(d, IDC_BANK_NAME));
    shown.numberEnabled = IsWindowEnabled(GetDlgItem(d, IDC_BANK_NUMBER));
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  };
  dialogs.actions.push_back(readProperties);
  menus.keys = {'p'};  // &Properties...
  rightClickRows({1});
  EXPECT_EQ(dialogs.titles.back(), "Bank properties");
  EXPECT_EQ(shown.name, "EMPTY BANK");
  EXPECT_EQ(shown.number, "B01");
  EXPECT_EQ(shown.size, "11 K");
  EXPECT_TRUE(shown.nameEnabled && shown.numberEnabled);
  dialogs.actions.push_back(readProperties);
  menus.keys = {'p'};
  rightClickRows({0, 1});
  EXPECT_EQ(menus.opened.back().enabled, std::vector<UINT>{CmdBankProperties});
  EXPECT_EQ(dialogs.titles.size(), 3u);
  EXPECT_EQ(shown.size, "50.06 K");
  EXPECT_FALSE(shown.nameEnabled || shown.numberEnabled);

  dialogs.actions.push_back([](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
  menus.keys = {'e'};  // &Export..., cancelled: nothing starts
  rightClickRows({0});
  EXPECT_EQ(ctx().busy, 0);
  std::string exported = folder + "exported.e3x";
  made.push_back(exported);
  std::vector<std::string> filters;
  std::string offered;
  dialogs.actions.push_back([&](HWND d) {
    filters = comboTexts(GetDlgItem(d, cmb1));
    offered = windowText(GetDlgItem(d, cmb13));
    if (offered.empty())
      offered = windowText(GetDlgItem(d, edt1));
    choosePath(exported)(d);
  });
  menus.keys = {'e'};  // &Export...
  rightClickRows({0});
  ASSERT_TRUE(idle());
  EXPECT_EQ(dialogs.titles.back(), "Export bank as");
  EXPECT_EQ(filters, (std::vector<std::string>{"ESi bank files (*.e3x)", "EOS bank files (*.eos)",
                                               "All files (*.*)"}));
  EXPECT_EQ(offered, "PAD_LEAD__2");
  EXPECT_EQ(readFile(exported), MakeBankFile(pad));

  // Number 0 is free again once its bank has gone, and is taken before 2.
  menus.keys = {'d'};  // &Delete
  rightClickRows({0});
  // An image can be written: the whole Bank menu is offered.
  EXPECT_EQ(menus.opened.back().enabled,
            (std::vector<UINT>{CmdExportBank, CmdDeleteBank, CmdRenameBank, CmdRenumberBank,
                               CmdBankProperties}));
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), (std::vector<Row>{{"EMPTY BANK", "B01", "11 K"}}));
  DiskInfo d = ReadDiskInfo(ctx().nodes[image].diskInfo);
  Bytes bat(d.batCount * 512);
  ASSERT_TRUE(transfer(ReadSectors, d.batSector, d.batCount, bat.data()));
  EXPECT_EQ(getLe16(bat.data() + 2 * padBlock), 0);  // freed
  Bytes brass = MakeBankData(16384, "BRASS", 2);
  importBank("brass.e3x", brass);
  EXPECT_EQ(shownRows(),
            (std::vector<Row>{{"BRASS", "B00", "16 K"}, {"EMPTY BANK", "B01", "11 K"}}));
  std::uint16_t brassBlock = firstBlockOf(ctx().nodes[bankAt(0)]);
  EXPECT_TRUE(workerBoxes.texts.empty());

  Bytes disk = removeImageAndRead();
  EXPECT_EQ(CheckDiskConsistency(disk), "");
  EXPECT_EQ(blockBytes(disk, brassBlock, brass.size()), brass);
}

TEST_F(BankCommands, RenameAndRenumberGoThroughTheirDialogs) {
  importBank("cello.e3x", MakeBankData(20000, "CELLO", 4));
  importBank("flute.e3x", MakeBankData(20000, "FLUTE", 5));
  ASSERT_EQ(rows(), 2);
  std::uint16_t celloBlock = firstBlockOf(ctx().nodes[bankAt(0)]);

  std::string shown;
  dialogs.actions.push_back([&](HWND d) {
    char text[32] = {};
    GetDlgItemTextA(d, IDC_BANK_NAME, text, sizeof text);
    shown = text;
    SetDlgItemTextA(d, IDC_BANK_NAME, "VIOLONCELLO");
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  });
  menus.commands = {CmdRenameBank};
  rightClickRows({0});
  EXPECT_EQ(dialogs.titles.back(), "Rename bank");
  EXPECT_EQ(shown, "CELLO");
  EXPECT_EQ(shownRows(),
            (std::vector<Row>{{"VIOLONCELLO", "B00", "19.53 K"}, {"FLUTE", "B01", "19.53 K"}}));

  auto renumberTo = [&](int row, int number) {
    dialogs.actions.push_back([number](HWND d) {
      SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_SETCURSEL, number, 0);
      PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    menus.commands = {CmdRenumberBank};
    std::size_t seen = dialogs.titles.size();
    rightClickRows({row});
    ASSERT_EQ(dialogs.titles.size(), seen + 1);
    EXPECT_EQ(dialogs.titles.back(), "Renumber bank");
  };
  renumberTo(0, 5);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(),
            (std::vector<Row>{{"FLUTE", "B01", "19.53 K"}, {"VIOLONCELLO", "B05", "19.53 K"}}));
  // Onto a taken number: the bank there moves up by one.
  renumberTo(1, 1);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(),
            (std::vector<Row>{{"VIOLONCELLO", "B01", "19.53 K"}, {"FLUTE", "B02", "19.53 K"}}));
  EXPECT_TRUE(workerBoxes.texts.empty());

  Bytes disk = removeImageAndRead();
  EXPECT_EQ(CheckDiskConsistency(disk), "");
  Bytes first = blockBytes(disk, celloBlock, 512);
  ASSERT_EQ(first.size(), 512u);
  EXPECT_EQ(std::string(first.begin() + kBankNameAt, first.begin() + kBankNameAt + kBankNameLength),
            "VIOLONCELLO     ");
}

TEST_F(BankCommands, AFullDiskRefusesTheEmptyBankAndTheTemporaryFileStillGoes) {
  // Every block taken, as if by banks this listing does not show.
  DiskInfo d = ReadDiskInfo(ctx().nodes[image].diskInfo);
  Bytes bat(d.batCount * 512);
  ASSERT_TRUE(transfer(ReadSectors, d.batSector, d.batCount, bat.data()));
  for (std::uint32_t b = 1; b <= d.blockCount; ++b) {
    bat[2 * b] = 0xFF;
    bat[2 * b + 1] = 0x7F;
  }
  ASSERT_TRUE(transfer(WriteSectors, d.batSector, d.batCount, bat.data()));

  menus.keys = {'e'};  // Import &Empty Bank
  rightClickImage();
  ASSERT_TRUE(idle());
  EXPECT_EQ(workerBoxes.texts, std::vector<std::string>{"Not enough disk space"});
  EXPECT_EQ(rows(), 0);
  EXPECT_TRUE(
      pumpUntil([&] { return !fileExists(app->files.tempFolder() + "Korrin.tmp"); }, kWaitMs));
  EXPECT_EQ(CheckDiskConsistency(removeImageAndRead()), "");
}

}  // namespace
