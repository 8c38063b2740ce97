#pragma once
// Tree and list views in memory, for tests to inspect.
#include <map>
#include <string>
#include <vector>

#include "platform/views.h"

class MemoryViews : public Views {
 public:
  struct Item {
    TreeItem parent = kNoItem;
    std::string text;
    int image = 0;
    int node = 0;
    bool expanded = false;
  };
  struct Row {
    std::string text[7];
    int image = 0;
    int node = 0;
    bool selected = false;
  };

  TreeItem treeInsert(TreeItem parent, const std::string& text, int image, int node) override;
  void treeDelete(TreeItem item) override;
  void treeSetText(TreeItem item, const std::string& text) override;
  void treeExpand(TreeItem item, bool post) override;
  void treeCollapse(TreeItem item) override;
  bool treeIsExpanded(TreeItem item) override;
  void treeSelect(TreeItem item) override;
  TreeItem treeHotItem() override { return hotItem; }
  bool treeIsShown(TreeItem item) override;
  void treeRepaint() override { ++repaints; }

  int listCount() override { return static_cast<int>(rows.size()); }
  int listInsert(int row, const std::string& text, int image, int node) override;
  void listSetText(int row, int column, const std::string& text) override;
  int listNode(int row) override;
  bool listIsSelected(int row) override;
  void listDeleteAll() override { rows.clear(); }
  void listSetColumns(const ListColumn*, int count) override { columns = count; }

  // Test helpers.
  std::vector<TreeItem> children(TreeItem parent) const;
  std::vector<std::string> rowTexts(int column) const;

  std::map<TreeItem, Item> items;
  std::vector<TreeItem> order;  // items in insertion order
  std::vector<Row> rows;
  TreeItem selected = kNoItem;
  TreeItem hotItem = kNoItem;
  bool refuseSelection = false;
  int repaints = 0;
  int columns = 0;
  int postedExpands = 0;

 private:
  TreeItem next_ = 1;
};
