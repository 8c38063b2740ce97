#pragma once
// The views port over the main window's tree view and list view. Calls from
// a worker thread are sent to the window's thread by the window system.
#include <windows.h>

#include "platform/views.h"

class Win32Views : public Views {
 public:
  void attach(HWND tree, HWND list) {
    tree_ = tree;
    list_ = list;
  }

  TreeItem treeInsert(TreeItem parent, const std::string& text, int image, int node) override;
  void treeDelete(TreeItem item) override;
  void treeSetText(TreeItem item, const std::string& text) override;
  void treeExpand(TreeItem item, bool post) override;
  void treeCollapse(TreeItem item) override;
  bool treeIsExpanded(TreeItem item) override;
  void treeSelect(TreeItem item) override;
  // The item under the pointer, else the drop-highlighted one.
  TreeItem treeHotItem() override;
  bool treeIsShown(TreeItem item) override;
  void treeRepaint() override;

  int listCount() override;
  int listInsert(int row, const std::string& text, int image, int node) override;
  void listSetText(int row, int column, const std::string& text) override;
  int listNode(int row) override;
  bool listIsSelected(int row) override;
  void listDeleteAll() override;
  void listSetColumns(const ListColumn* columns, int count) override;

 private:
  HWND tree_ = nullptr;
  HWND list_ = nullptr;
};
