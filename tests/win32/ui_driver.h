#pragma once
// Drives the real main window from a test on the user-interface thread:
// pumps messages until a condition holds, and answers the menus and modal
// dialogs that open meanwhile so that no test waits for a user.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "media/cd_image_driver.h"
#include "media/floppy_driver.h"
#include "sampler/sampler_driver.h"
#include "tests/support/fake_driver.h"

// Dispatches messages until done() holds or the time runs out.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Runs a program to its end, pumping messages meanwhile; its exit code, or
// -1 when it did not start or end in time.
int runProgram(const std::string& path, std::string commandLine, DWORD timeoutMs);
std::string windowText(HWND window);

using Bytes = std::vector<std::uint8_t>;
Bytes readFile(const std::string& path);

using DialogAction = std::function<void(HWND dialog)>;
// Answers a file dialog with a path, as a user typing it would.
DialogAction choosePath(const std::string& path);
// Answers a question or message with OK.
inline void answerOk(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// What a context menu showed when it opened.
struct OpenedMenu {
  HMENU menu;
  std::vector<UINT> enabled;  // command ids of the enabled items
};

// The real main window over fake SCSI, floppy and sampler drivers and the
// real CD and disk image drivers, with the real operations installed; started
// up and idle when a test begins, with no image registered.
class ShellWindow : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  ShellContext& ctx() { return app->ctx; }
  HTREEITEM item(int node) { return reinterpret_cast<HTREEITEM>(ctx().nodes[node].treeItem); }
  void expand(int node) { TreeView_Expand(app->tree, item(node), TVE_EXPAND); }
  void select(int node) { TreeView_SelectItem(app->tree, item(node)); }
  // Each row's cells, joined by "|".
  std::vector<std::string> shownRows();
  // Pumps until the running command has ended, answering worker messages.
  bool idle();
  // Right-clicks the node's item with the pointer over it (empty space for
  // 0), or the selected rows, and chooses the command from the menu that
  // opens (none for 0), its dialogs given the answers in turn; true once it
  // has ended.
  bool onTree(int node, UINT command, std::deque<DialogAction> answers = {});
  bool onRows(std::initializer_list<int> rows, UINT command, std::deque<DialogAction> answers = {});
  // A path in the temporary folder, removed at the end; the file holds the
  // bytes if there are any, else there is none yet.
  std::string tempFile(const std::string& name, const Bytes& bytes = {});
  // The answers of the modal dialogs and message boxes that open next.
  void answerWith(std::deque<DialogAction> answers) { actions = std::move(answers); }
  int nodeNamed(const std::string& name);
  // Posts the key to the view, with Ctrl held for control, the row selected first.
  void key(HWND view, int rowSelected, WORD vk, bool control = false);
  // Drops the files from Explorer at the middle of the node's tree item, or
  // on the list for 0.
  void drop(int node, const std::vector<std::string>& files);

  std::unique_ptr<MainWindow> app;
  // Set before SetUp: the real SCSI disk and sampler drivers over the ASPI
  // manager the main window loads, instead of the fake ones.
  bool realScsi = false;
  // Likewise the real floppy driver, whose drive A: the test prefix maps to
  // the image file C:\floppy-a.img.
  bool realFloppy = false;
  FakeDriver *scsi = nullptr, *floppies = nullptr, *samplers = nullptr;
  FloppyDriver* floppyDrives = nullptr;
  SamplersDriver* samplerDriver = nullptr;
  CdImageDriver* images = nullptr;
  std::vector<OpenedMenu> opened;
  // The workers report failures in message boxes: answered OK, texts kept.
  std::vector<std::string> workerTexts;

 private:
  bool choose(HWND view, UINT command, std::deque<DialogAction> answers);
  static LRESULT CALLBACK menuHook(int code, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK dialogHook(int code, WPARAM wp, LPARAM lp);
  static void CALLBACK answerDialog(HWND, UINT, UINT_PTR timer, DWORD);
  static BOOL CALLBACK answerWorkerBox(HWND window, LPARAM self);
  HHOOK menuHook_ = nullptr, dialogHook_ = nullptr;
  // Each menu that opens is recorded, then answered with the next command
  // (reached with the arrow keys: items share mnemonics), else closed.
  std::deque<UINT> commands;
  // Each modal dialog of this thread gets the next action, else Cancel.
  std::deque<DialogAction> actions;
  std::vector<std::string> made;
};
