#pragma once
// The keys and the files dropped from Explorer that Windows users reach for,
// as portable rules: each one runs a command the menus already run, with the
// same busy rule, enables and messages. The window code only translates
// key and drop messages into these calls.
#include <string>
#include <vector>

#include "app/commands.h"

struct ShellContext;

enum class ShellKey { None, Delete, Rename, Open, SelectAll, Refresh, Back };

// The key a virtual-key code (as Windows numbers them) stands for.
ShellKey keyFor(int virtualKey, bool control);

// Runs what the key does, pressed in view. Selecting every row is the list's
// own work; the answer is true when the key was one of Korrin's.
bool pressKey(ShellContext& ctx, View view, ShellKey key);

// Shift+F10 and the context-menu key: the selection's menu, at the selection.
void contextMenuKey(ShellContext& ctx, View view);

// Files dropped on node (0 for no node): imports, a new bank, transmissions
// or images added, as the matching command; else one message refusing them.
void dropFiles(ShellContext& ctx, int node, const std::vector<std::string>& paths);
