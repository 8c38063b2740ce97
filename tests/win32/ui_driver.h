#pragma once
// Drives real windows from a test on the user-interface thread: pumps
// messages until a condition holds, and answers the menus and modal dialogs
// that open meanwhile so that no test waits for a user.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Wine without a window manager waits up to two seconds whenever a managed
// window (one with a caption, or once activated) hides or goes. Under Wine
// the tests therefore run with window management off for this program:
// the first run switches it off and runs the tests again in a new process,
// whose exit code *code receives; then the result is true.
bool rerunWithoutWindowManagement(int* code);

// The image list lives in the test prefix's registry; each test starts without one.
void forgetRegisteredImages();
// The text of one cell of a list view.
std::string listCellText(HWND list, int row, int column);

// Dispatches messages until done() holds or the time runs out.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
void pumpFor(DWORD milliseconds);

// What a context menu showed when it opened.
struct OpenedMenu {
  HMENU menu;
  std::vector<UINT> enabled;  // command ids of the enabled items
};

// Watches the menus that open on this thread. Each one is recorded and then
// closed, or answered with the next scripted key (a mnemonic character), or,
// once the keys are used up, with the next scripted command: the arrow keys
// move to its item and Enter chooses it (for items that share a mnemonic).
class MenuWatcher {
 public:
  MenuWatcher();
  ~MenuWatcher();
  std::vector<OpenedMenu> opened;
  std::deque<char> keys;
  std::deque<UINT> commands;

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
  HHOOK hook_;
};

// Answers each modal dialog (file dialogs, message boxes, the program's own)
// with the next scripted action once it is up; a dialog without an action is
// cancelled.
class DialogAnswerer {
 public:
  using Action = std::function<void(HWND dialog)>;
  DialogAnswerer();
  ~DialogAnswerer();
  std::deque<Action> actions;
  std::vector<std::string> titles;  // of every dialog seen

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
  static void CALLBACK answer(HWND, UINT, UINT_PTR timer, DWORD);
  HHOOK hook_;
};

// Answers OK to the message boxes that other threads of this process show
// (workers report their failures so) and records their texts.
class WorkerMessageBoxes {
 public:
  // Answers the boxes up now; call it while waiting for a worker.
  void answer();
  std::vector<std::string> texts;

 private:
  static BOOL CALLBACK visit(HWND window, LPARAM self);
  std::vector<HWND> answered_;
};

// The text of a message box.
std::string messageBoxText(HWND box);
// The texts of a combo box's entries.
std::vector<std::string> comboTexts(HWND combo);
std::string windowText(HWND window);
