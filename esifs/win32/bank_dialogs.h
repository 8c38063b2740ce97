#pragma once
// The bank dialogs of the Bank menu: properties, rename and renumber. Each
// runs modally over owner (may be null) from the program's own dialog
// resources and returns when the user closes it.
#include <windows.h>

struct Context;

// "Bank properties": name, number and size of one bank; with several banks
// only the sum of their sizes. Changes nothing.
void showBankPropertiesDialog(Context& ctx, HWND owner, const int* bankNodes, int count);

// "Rename bank": on OK renames the bank when the text differs from its name.
void showRenameBankDialog(Context& ctx, HWND owner, int bankNode);

// "Renumber bank": on OK renumbers the bank when another number was chosen.
void showRenumberBankDialog(Context& ctx, HWND owner, int bankNode);
