#include "platform/fake/memory_views.h"

#include <algorithm>

TreeItem MemoryViews::treeInsert(TreeItem parent, const std::string& text, int image, int node) {
  TreeItem item = next_++;
  items[item] = Item{parent, text, image, node, false};
  order.push_back(item);
  return item;
}

void MemoryViews::treeDelete(TreeItem item) {
  for (TreeItem child : children(item))
    treeDelete(child);
  items.erase(item);
  order.erase(std::remove(order.begin(), order.end(), item), order.end());
  if (selected == item)
    selected = kNoItem;
}

void MemoryViews::treeSetText(TreeItem item, const std::string& text) {
  if (items.count(item))
    items[item].text = text;
}

void MemoryViews::treeExpand(TreeItem item, bool post) {
  if (post)
    ++postedExpands;
  if (items.count(item))
    items[item].expanded = true;
}

void MemoryViews::treeCollapse(TreeItem item) {
  // As the real tree view: an item without children keeps its expanded mark.
  if (items.count(item) && !children(item).empty())
    items[item].expanded = false;
}

bool MemoryViews::treeIsExpanded(TreeItem item) {
  return items.count(item) && items[item].expanded;
}

void MemoryViews::treeSelect(TreeItem item) {
  if (!refuseSelection && items.count(item))
    selected = item;
}

bool MemoryViews::treeIsShown(TreeItem item) {
  if (!items.count(item))
    return false;
  for (TreeItem p = items[item].parent; p != kNoItem; p = items[p].parent) {
    if (!items[p].expanded)
      return false;
  }
  return true;
}

int MemoryViews::listInsert(int row, const std::string& text, int image, int node) {
  if (row < 0 || row > static_cast<int>(rows.size()))
    row = static_cast<int>(rows.size());
  Row r;
  r.text[0] = text;
  r.image = image;
  r.node = node;
  rows.insert(rows.begin() + row, r);
  return row;
}

void MemoryViews::listSetText(int row, int column, const std::string& text) {
  if (row >= 0 && row < static_cast<int>(rows.size()) && column >= 0 && column < 7) {
    rows[row].text[column] = text;
  }
}

int MemoryViews::listNode(int row) {
  return row >= 0 && row < static_cast<int>(rows.size()) ? rows[row].node : 0;
}

bool MemoryViews::listIsSelected(int row) {
  return row >= 0 && row < static_cast<int>(rows.size()) && rows[row].selected;
}

std::vector<TreeItem> MemoryViews::children(TreeItem parent) const {
  std::vector<TreeItem> out;
  for (TreeItem item : order) {
    if (items.at(item).parent == parent)
      out.push_back(item);
  }
  return out;
}

std::vector<std::string> MemoryViews::rowTexts(int column) const {
  std::vector<std::string> out;
  for (const Row& r : rows)
    out.push_back(r.text[column]);
  return out;
}
