#pragma once
// The main window with its tree view and list view, and everything the
// program keeps that only Windows needs. Window procedures reach it through
// their window's user data.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/shell_context.h"
#include "app/win32/status_windows.h"
#include "platform/win32/win32_aspi.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_floppy_bios.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_views.h"

class MainWindow : public ShellUi {
 public:
  MainWindow(HINSTANCE instance, const std::string& title, const std::string& className);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void applyMenus(const MenuEnables& menus) override;
  int trackContextMenu(int subMenu) override;
  void sendCommand(int command) override;
  bool chooseFile(FileDialog kind, const std::string& initialName, std::string* path) override;
  bool chooseFiles(FileDialog kind, std::vector<std::string>* paths) override;
  bool askBankName(std::string* name) override;
  void runDialog(int dialog, int node) override;
  void closeMainWindow() override;
  void setListViewMode(int mode) override;

  HINSTANCE instance;
  std::string programTitle;
  std::string mainClassName;
  Win32Files files;
  Win32Registry registry;
  Win32Host host;
  Win32Views views;
  Win32StatusScreen screen;
  Win32FloppyBios floppyBios;
  ShellContext ctx;

  HWND window = nullptr;
  HWND tree = nullptr;
  HWND list = nullptr;
  HMENU contextMenus = nullptr;
  HMENU mainMenu = nullptr;
  HIMAGELIST treeImages = nullptr;
  HIMAGELIST largeIcons = nullptr;
  HIMAGELIST smallIcons = nullptr;
  bool firstPaint = false;
  // The ASPI manager, loaded in createMainWindows and released at shutdown.
  std::unique_ptr<Win32Aspi> aspi;
  // Registered by the start-up sequence, in slot order.
  std::vector<DiskOsDriver*> startupDrivers;
};

// The window's MainWindow, from its user data.
MainWindow* mainWindowOf(HWND window);

// Loads the context menus (less the sample rename item) and the main menu.
void loadMenus(MainWindow& app);
// The main window, status display and splash classes; false when one fails.
bool registerWindowClasses(HINSTANCE instance, const std::string& mainClassName);
void createMainWindows(MainWindow& app, int show);
void layoutMainWindow(MainWindow& app);
void SetListViewMode(MainWindow& app, int mode);
void shutdown(MainWindow& app);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
// The main window's WM_NOTIFY from either view.
LRESULT onViewNotify(MainWindow& app, const NMHDR& header);
