#pragma once
// The bank dialogs of the Bank menu: properties, rename and renumber. Each
// runs modally over owner (may be null) from the program's own dialog
// resources and returns when the user closes it.
#include <windows.h>

#include <string>

struct Context;

// "Bank properties": name, number and size of one bank; with several banks
// only the sum of their sizes. Changes nothing.
void showBankPropertiesDialog(Context& ctx, HWND owner, const int* bankNodes, int count);

// "Rename bank": on OK renames the bank when the text differs from its name.
void showRenameBankDialog(Context& ctx, HWND owner, int bankNode);

// "Renumber bank": on OK renumbers the bank when another number was chosen.
void showRenumberBankDialog(Context& ctx, HWND owner, int bankNode);

// "New bank": the name of a bank about to be made, in the Rename dialog's
// field, starting with *name; false when cancelled.
bool askNewBankName(HWND owner, std::string* name);
