#pragma once
// The command-line program has no tree or list view: the object tree still
// keeps its nodes, and every view request is answered as by empty views.
#include "platform/views.h"

class NoViews : public Views {
 public:
  TreeItem treeInsert(TreeItem, const std::string&, int, int) override { return ++lastItem_; }
  void treeDelete(TreeItem) override {}
  void treeSetText(TreeItem, const std::string&) override {}
  void treeExpand(TreeItem, bool) override {}
  void treeCollapse(TreeItem) override {}
  bool treeIsExpanded(TreeItem) override { return false; }
  void treeSelect(TreeItem) override {}
  TreeItem treeHotItem() override { return kNoItem; }
  bool treeIsShown(TreeItem) override { return false; }
  void treeRepaint() override {}
  int listCount() override { return 0; }
  int listInsert(int, const std::string&, int, int) override { return -1; }
  void listSetText(int, int, const std::string&) override {}
  int listNode(int) override { return 0; }
  bool listIsSelected(int) override { return false; }
  void listDeleteAll() override {}
  void listSetColumns(const ListColumn*, int) override {}

 private:
  TreeItem lastItem_ = kNoItem;
};
