#pragma once
// The tree view and list view of the main window, reduced to what the object
// tree needs: items and rows carrying a text, an image and a node index.
#include <cstdint>
#include <string>

using TreeItem = std::uintptr_t;
constexpr TreeItem kNoItem = 0;

struct ListColumn {
  const char* title;
  int width;  // pixels
};

class Views {
 public:
  virtual ~Views() = default;
  // Appends an item as the last child of parent (kNoItem: top level).
  virtual TreeItem treeInsert(TreeItem parent, const std::string& text, int image, int node) = 0;
  virtual void treeDelete(TreeItem item) = 0;
  virtual void treeSetText(TreeItem item, const std::string& text) = 0;
  // post: queue the request instead of waiting for the view to act on it.
  virtual void treeExpand(TreeItem item, bool post) = 0;
  virtual void treeCollapse(TreeItem item) = 0;
  virtual bool treeIsExpanded(TreeItem item) = 0;
  // Asks the view to select item; the view may refuse (while busy).
  virtual void treeSelect(TreeItem item) = 0;
  // The item under the mouse during a right click, kNoItem when none.
  virtual TreeItem treeHotItem() = 0;
  // True when no ancestor of item is collapsed.
  virtual bool treeIsShown(TreeItem item) = 0;
  virtual void treeRepaint() = 0;

  virtual int listCount() = 0;
  virtual int listInsert(int row, const std::string& text, int image, int node) = 0;
  virtual void listSetText(int row, int column, const std::string& text) = 0;
  virtual int listNode(int row) = 0;
  virtual bool listIsSelected(int row) = 0;
  virtual void listDeleteAll() = 0;
  // Shows these columns; the titles of those shown before stay.
  virtual void listSetColumns(const ListColumn* columns, int count) = 0;
};
