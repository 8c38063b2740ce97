#include "platform/win32/win32_views.h"

#include <commctrl.h>

static HTREEITEM toItem(TreeItem item) {
  return reinterpret_cast<HTREEITEM>(item);
}
static TreeItem fromItem(HTREEITEM item) {
  return reinterpret_cast<TreeItem>(item);
}

TreeItem Win32Views::treeInsert(TreeItem parent, const std::string& text, int image, int node) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent == kNoItem ? TVI_ROOT : toItem(parent);
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = image;
  insert.item.lParam = node;
  return static_cast<TreeItem>(
      SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void Win32Views::treeDelete(TreeItem item) {
  SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(toItem(item)));
}

void Win32Views::treeSetText(TreeItem item, const std::string& text) {
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = toItem(item);
  tv.pszText = const_cast<char*>(text.c_str());
  SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void Win32Views::treeExpand(TreeItem item, bool post) {
  LPARAM target = reinterpret_cast<LPARAM>(toItem(item));
  if (post) {
    PostMessageA(tree_, TVM_EXPAND, TVE_EXPAND, target);
  } else {
    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, target);
  }
}

void Win32Views::treeCollapse(TreeItem item) {
  SendMessageA(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(toItem(item)));
}

bool Win32Views::treeIsExpanded(TreeItem item) {
  LRESULT state =
      SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(toItem(item)), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

void Win32Views::treeSelect(TreeItem item) {
  SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(toItem(item)));
}

TreeItem Win32Views::treeHotItem() {
  TVHITTESTINFO hit = {};
  GetCursorPos(&hit.pt);
  ScreenToClient(tree_, &hit.pt);
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item && (hit.flags & TVHT_ONITEM))
    return fromItem(item);
  return fromItem(
      reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0)));
}

bool Win32Views::treeIsShown(TreeItem item) {
  if (item == kNoItem)
    return false;
  HTREEITEM at = toItem(item);
  for (;;) {
    at = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(at)));
    if (!at)
      return true;
    if (!treeIsExpanded(fromItem(at)))
      return false;
  }
}

void Win32Views::treeRepaint() {
  InvalidateRect(tree_, nullptr, TRUE);
  UpdateWindow(tree_);
}

int Win32Views::listCount() {
  return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

int Win32Views::listInsert(int row, const std::string& text, int image, int node) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(text.c_str());
  item.iImage = image;
  item.lParam = node;
  return static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32Views::listSetText(int row, int column, const std::string& text) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int Win32Views::listNode(int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
    return 0;
  return static_cast<int>(item.lParam);
}

bool Win32Views::listIsSelected(int row) {
  return (SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void Win32Views::listDeleteAll() {
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
}

void Win32Views::listSetColumns(const ListColumn* columns, int count) {
  // Columns come and go at the end; those that stay take the new widths.
  HWND header = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
  int shown = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (; shown > count; --shown)
    SendMessageA(list_, LVM_DELETECOLUMN, shown - 1, 0);
  for (int i = 0; i < shown; ++i)
    SendMessageA(list_, LVM_SETCOLUMNWIDTH, i, columns[i].width);
  for (; shown < count; ++shown) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[shown].width;
    column.pszText = const_cast<char*>(columns[shown].title);
    column.iSubItem = shown;
    SendMessageA(list_, LVM_INSERTCOLUMNA, shown, reinterpret_cast<LPARAM>(&column));
  }
}
