#pragma once
// The shell's commands, context menus and view notifications as portable
// rules: which node a command acts on, which menu items apply, what each
// command starts, and what the two views may do while an operation runs.
// The window code only translates messages into these calls.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/views.h"

struct Context;
struct ShellContext;

enum CommandId : int {
  CmdExit = 105,
  CmdAbout = 32809,
  CmdSamplerRefresh = 32819,
  CmdTransmitSample = 32814,
  CmdDiskRefresh = 32817,
  CmdAdd = 32797,
  CmdRemove = 32816,
  CmdImportBank = 32784,
  CmdImportEmptyBank = 32822,
  CmdDiskProperties = 32774,
  CmdExportBank = 32782,
  CmdDeleteBank = 32787,
  CmdRenameBank = 32788,
  CmdRenumberBank = 32786,
  CmdBankProperties = 32775,
  CmdDeleteSample = 32793,
  CmdRenameSample = 32794,
  CmdReceiveSample = 32780,
  CmdSampleProperties = 32778,
  CmdImportWav = 32823,
  CmdOpenBank = 32824,
  CmdOpenBankFile = 32825,
  CmdExtractSamples = 32826,
  CmdExtractAllSamples = 32827,
  CmdNewBankFromWav = 32828,
  CmdNewBankFileFromWav = 32829,
  CmdViewIcons = 32800,
  CmdViewSmallIcons = 32801,
  CmdViewList = 32802,
  CmdViewDetails = 32803,
};

// Positions of the sub-menus in the context menu resource.
enum SubMenu : int {
  NoSubMenu = -1,
  SamplerMenu = 2,
  DiskMenu = 3,
  BankMenu = 4,
  SampleMenu = 7,
  FloppyMenu = 8,
  BankContentsMenu = 11,  // an opened bank and its rows
};

// Modal dialogs that commands open for their target node.
enum DialogId : int {
  BankPropertiesDialog = 197,
  AddImageDialog = 198,
  SamplePropertiesDialog = 202,
  TransmitSampleDialog = 203,
  RenameBankDialog = 204,
  RenumberBankDialog = 205,
};

enum class FileDialog {
  ExportBank,
  ReceiveSample,
  ImportBank,
  WavToFloppy,
  AddDiskImage,
  FloppyImage,
  OpenBankFile,
  ExtractSamples,   // any name in the folder the samples go to
  NewBankWavFiles,  // several files
  NewBankFile,
};

enum class View { Tree, List };

// Classes a selection is counted in; placeholders and the samplers' driver
// node belong to none.
enum NodeClass : int {
  NoClass = -1,
  RootClass,
  DiskOsClass,
  DiskDeviceClass,
  BankClass,
  SamplerClass,
  SampleClass,
  FloppyDriveClass,
  FloppyDiskOsClass,
  // An opened bank's presets and samples, selected together.
  BankContentsClass,
  OpenedBankClass,
  kNodeClasses,
};

NodeClass nodeClass(int type);
SubMenu subMenuFor(int type);

// The context menu items whose state follows the node a menu is opened for.
constexpr int kMenuItemCount = 22;
constexpr int kMenuItems[kMenuItemCount] = {
    CmdAdd,
    CmdDiskRefresh,
    CmdRemove,
    CmdImportBank,
    CmdImportEmptyBank,
    CmdDiskProperties,
    CmdDeleteBank,
    CmdRenameBank,
    CmdRenumberBank,
    CmdExportBank,
    CmdBankProperties,
    CmdTransmitSample,
    CmdSamplerRefresh,
    CmdDeleteSample,
    CmdRenameSample,
    CmdReceiveSample,
    CmdSampleProperties,
    CmdImportWav,
    CmdOpenBank,
    CmdNewBankFromWav,
    CmdExtractSamples,
    CmdExtractAllSamples,
};

struct MenuEnables {
  bool enabled[kMenuItemCount] = {};
  bool isEnabled(int command) const;
  void enable(int command);
};

// What the window system does for the commands: menus, dialogs, the window.
class ShellUi {
 public:
  virtual ~ShellUi() = default;
  // Greys and enables the context menu items.
  virtual void applyMenus(const MenuEnables& menus) = 0;
  // Opens a context sub-menu at the mouse; the chosen command or 0.
  virtual int trackContextMenu(int subMenu) = 0;
  // Delivers a command to the main window as a menu would.
  virtual void sendCommand(int command) = 0;
  // A file dialog starting with initialName; false when cancelled.
  virtual bool chooseFile(FileDialog kind, const std::string& initialName, std::string* path) = 0;
  // A dialog that picks several files; false when cancelled.
  virtual bool chooseFiles(FileDialog kind, std::vector<std::string>* paths) = 0;
  // The name of a new bank, in the Rename dialog's field; false when cancelled.
  virtual bool askBankName(std::string* name) = 0;
  // A modal dialog for node.
  virtual void runDialog(int dialog, int node) = 0;
  virtual void closeMainWindow() = 0;
  virtual void setListViewMode(int mode) = 0;
};

// The operations that commands start. A file the command opened is in
// ctx.openFile; the operation closes it. Worker entries clear the busy flag
// as their last step. An operation not yet present leaves its command
// without effect.
struct CommandHooks {
  // Worker entries. path is the chosen file's name.
  std::function<void(Context&, int device, const std::string& path)> importBank;
  std::function<void(Context&, int bank)> exportBank;
  std::function<void(Context&, int bank)> deleteBank;
  std::function<void(Context&, int floppy)> wavToFloppy;
  // The same for the floppy image files node; imagePath names the set.
  std::function<void(Context&, int floppy, const std::string& imagePath)> wavToFloppyImages;
  // On the user-interface thread: starts its own worker.
  std::function<void(Context&, int device)> importEmptyBank;
  // On the user-interface thread; true when the sample arrived whole. The
  // command closes the file.
  std::function<bool(Context&, int sample)> receiveSample;
  // On the user-interface thread, for the samples in the shell's selection.
  std::function<void(Context&)> deleteSamples;
};

// A list never has more rows: an opened bank shows 256 presets and 999 samples.
constexpr int kSelectionSize = 1255;

struct ShellState {
  int menuNode = 0;
  int menuListNode = 0;
  View lastView = View::Tree;
  int selection[kSelectionSize] = {};
  int selectionCount = 0;
  int selectedCount = 0;
  // Mouse-wheel notches, away from the user counting up.
  int wheelCount = 0;
  MenuEnables menus;  // as last set by updateMenus
  // Set while a key opens a context menu: it opens at the selection, not
  // at the mouse.
  bool menuAtSelection = false;
  // The bank file shown by the opened bank under the root, if any.
  std::string openedBankFile;
  ShellUi* ui = nullptr;
  CommandHooks hooks;
};

// True when the device under node cannot be written (a SCSI CD-ROM drive).
bool deviceIsReadOnly(Context& ctx, int node);

int commandTarget(const ShellContext& ctx);
// Rescans the selected list rows; negative (bit 31 set) when they mix classes.
int selectionSummary(ShellContext& ctx);
MenuEnables menuEnablesFor(ShellContext& ctx, int node);
void updateMenus(ShellContext& ctx, int node);

// Runs a menu command; false for a command the shell does not know.
bool runCommand(ShellContext& ctx, int command, std::intptr_t extra);

// View notifications. Those returning bool answer true to refuse.
bool treeSelectionChanging(ShellContext& ctx);
void treeSelectionChanged(ShellContext& ctx, TreeItem item);
bool treeItemExpanding(ShellContext& ctx, TreeItem item, bool expanding);
bool treeBeginLabelEdit(ShellContext& ctx);
void treeRightClick(ShellContext& ctx);
// The context menu of the tree's node n.
void treeContextMenu(ShellContext& ctx, int n);
bool listBeginLabelEdit(ShellContext& ctx);
// Opens the bank a double click lands on.
void listDoubleClick(ShellContext& ctx);
void listRightClick(ShellContext& ctx);

// Counts a wheel notch (delta as the window system gives it); true when the
// list should scroll down, which follows the running count, not the notch.
bool countWheelNotch(ShellState& shell, int delta);
