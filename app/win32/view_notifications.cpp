// The main window's handling of its two views' notifications: each one
// translated into the shell's rule for it.
#include "app/shell_input.h"
#include "app/win32/main_window.h"

namespace {

using Handler = LRESULT (*)(MainWindow& app, const NMHDR& header);

TreeItem newItem(const NMHDR& header) {
  return reinterpret_cast<TreeItem>(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
}

LRESULT onTreeSelChanging(MainWindow& app, const NMHDR&) {
  return treeSelectionChanging(app.ctx) ? TRUE : FALSE;
}

LRESULT onTreeSelChanged(MainWindow& app, const NMHDR& header) {
  treeSelectionChanged(app.ctx, newItem(header));
  return 0;
}

LRESULT onTreeItemExpanding(MainWindow& app, const NMHDR& header) {
  // The action may carry flags beside the expand or collapse bit.
  UINT action = reinterpret_cast<const NMTREEVIEWA&>(header).action & (TVE_EXPAND | TVE_COLLAPSE);
  return treeItemExpanding(app.ctx, newItem(header), action == TVE_EXPAND) ? TRUE : FALSE;
}

LRESULT onTreeBeginLabelEdit(MainWindow& app, const NMHDR&) {
  return treeBeginLabelEdit(app.ctx) ? TRUE : FALSE;
}

LRESULT onTreeRightClick(MainWindow& app, const NMHDR&) {
  treeRightClick(app.ctx);
  return TRUE;  // handled: no WM_CONTEXTMENU follows
}

LRESULT answerZero(MainWindow&, const NMHDR&) {
  return 0;
}

LRESULT onListBeginLabelEdit(MainWindow& app, const NMHDR&) {
  return listBeginLabelEdit(app.ctx) ? TRUE : FALSE;
}

LRESULT onListRightClick(MainWindow& app, const NMHDR&) {
  listRightClick(app.ctx);
  return TRUE;
}

LRESULT onListDoubleClick(MainWindow& app, const NMHDR&) {
  listDoubleClick(app.ctx);
  return 0;
}

ShellKey keyOf(WORD virtualKey) {
  return keyFor(virtualKey, GetKeyState(VK_CONTROL) < 0);
}

LRESULT onListKeyDown(MainWindow& app, const NMHDR& header) {
  ShellKey key = keyOf(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
  if (pressKey(app.ctx, View::List, key) && key == ShellKey::SelectAll)
    ListView_SetItemState(app.list, -1, LVIS_SELECTED, LVIS_SELECTED);
  return 0;
}

LRESULT onTreeKeyDown(MainWindow& app, const NMHDR& header) {
  ShellKey key = keyOf(reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey);
  // The tree itself already goes to the parent item on Backspace.
  if (key != ShellKey::Back)
    pressKey(app.ctx, View::Tree, key);
  return 0;
}

struct Route {
  UINT code;
  Handler handler;
};

// The views talk ANSI to this window, but the Unicode codes carry the same
// fields that are read here.
constexpr Route kTreeRoutes[] = {
    {TVN_SELCHANGINGA, onTreeSelChanging},
    {TVN_SELCHANGINGW, onTreeSelChanging},
    {TVN_SELCHANGEDA, onTreeSelChanged},
    {TVN_SELCHANGEDW, onTreeSelChanged},
    {TVN_ITEMEXPANDINGA, onTreeItemExpanding},
    {TVN_ITEMEXPANDINGW, onTreeItemExpanding},
    {TVN_BEGINLABELEDITA, onTreeBeginLabelEdit},
    {TVN_BEGINLABELEDITW, onTreeBeginLabelEdit},
    {NM_RCLICK, onTreeRightClick},
    {TVN_KEYDOWN, onTreeKeyDown},
    {NM_SETFOCUS, answerZero},
    {NM_KILLFOCUS, answerZero},
};

constexpr Route kListRoutes[] = {
    {LVN_BEGINLABELEDITA, onListBeginLabelEdit},
    {LVN_BEGINLABELEDITW, onListBeginLabelEdit},
    {NM_RCLICK, onListRightClick},
    {NM_DBLCLK, onListDoubleClick},
    {LVN_KEYDOWN, onListKeyDown},
};

template <std::size_t N>
LRESULT route(const Route (&routes)[N], MainWindow& app, const NMHDR& header) {
  for (const Route& r : routes) {
    if (r.code == header.code)
      return r.handler(app, header);
  }
  return 0;
}

}  // namespace

LRESULT onViewNotify(MainWindow& app, const NMHDR& header) {
  if (header.hwndFrom == app.tree)
    return route(kTreeRoutes, app, header);
  if (header.hwndFrom == app.list)
    return route(kListRoutes, app, header);
  return 0;
}
