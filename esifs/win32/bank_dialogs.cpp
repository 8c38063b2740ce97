#include "esifs/win32/bank_dialogs.h"

#include <cstdio>
#include <string>

#include "core/context.h"
#include "esifs/bank_edit.h"
#include "resources/resource_ids.h"

namespace {

// What a dialog procedure needs, handed over with WM_INITDIALOG.
struct BankDialog {
  Context* ctx;
  const int* nodes;
  int count;
};

BankDialog* dialogOf(HWND dialog) {
  return reinterpret_cast<BankDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Ends the dialog on OK and Cancel; answers whether the message was one.
bool closes(HWND dialog, UINT message, WPARAM wp) {
  if (message != WM_COMMAND || (LOWORD(wp) != IDOK && LOWORD(wp) != IDCANCEL))
    return false;
  EndDialog(dialog, LOWORD(wp));
  return true;
}

INT_PTR CALLBACK propertiesProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    auto* args = reinterpret_cast<BankDialog*>(lp);
    BankProperties p = DescribeBanks(*args->ctx, args->nodes, args->count);
    SetDlgItemTextA(dialog, IDC_BANK_NAME, p.name.c_str());
    SetDlgItemTextA(dialog, IDC_BANK_NUMBER, p.number.c_str());
    SetDlgItemTextA(dialog, IDC_BANK_SIZE, p.size.c_str());
    EnableWindow(GetDlgItem(dialog, IDC_BANK_NAME), p.single);
    EnableWindow(GetDlgItem(dialog, IDC_BANK_NUMBER), p.single);
    return TRUE;
  }
  return closes(dialog, message, wp);
}

INT_PTR CALLBACK renameProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    auto* args = reinterpret_cast<BankDialog*>(lp);
    SetDlgItemTextA(dialog, IDC_BANK_NAME, args->ctx->nodes[args->nodes[0]].name);
    SendDlgItemMessageA(dialog, IDC_BANK_NAME, EM_LIMITTEXT, 16, 0);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wp) == IDOK) {
    BankDialog* args = dialogOf(dialog);
    char text[17] = {};
    GetDlgItemTextA(dialog, IDC_BANK_NAME, text, sizeof text);
    std::string name = args->ctx->nodes[args->nodes[0]].name;
    if (name != text)
      RenameBank(*args->ctx, args->nodes[0], name, text);
  }
  return closes(dialog, message, wp);
}

INT_PTR CALLBACK renumberProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    auto* args = reinterpret_cast<BankDialog*>(lp);
    const TreeNode& bank = args->ctx->nodes[args->nodes[0]];
    SetDlgItemTextA(dialog, IDC_BANK_NAME, bank.name);
    for (int n = 0; n < kMaxBanks; ++n) {
      char number[8];
      std::snprintf(number, sizeof number, "B%.2d", n);
      SendDlgItemMessageA(dialog, IDC_BANK_NUMBER, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(number));
    }
    SendDlgItemMessageA(dialog, IDC_BANK_NUMBER, CB_SETCURSEL, bank.number, 0);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wp) == IDOK) {
    BankDialog* args = dialogOf(dialog);
    LRESULT chosen = SendDlgItemMessageA(dialog, IDC_BANK_NUMBER, CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && chosen < kMaxBanks && chosen != args->ctx->nodes[args->nodes[0]].number)
      RenumberBank(*args->ctx, args->nodes[0], static_cast<int>(chosen));
  }
  return closes(dialog, message, wp);
}

INT_PTR CALLBACK newBankProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    SetDlgItemTextA(dialog, IDC_BANK_NAME, reinterpret_cast<std::string*>(lp)->c_str());
    SendDlgItemMessageA(dialog, IDC_BANK_NAME, EM_LIMITTEXT, 16, 0);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wp) == IDOK) {
    char text[17] = {};
    GetDlgItemTextA(dialog, IDC_BANK_NAME, text, sizeof text);
    *reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER)) = text;
  }
  return closes(dialog, message, wp);
}

void run(int id, DLGPROC proc, BankDialog args, HWND owner) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), owner, proc,
                  reinterpret_cast<LPARAM>(&args));
}

bool isBank(const Context& ctx, int node) {
  return ctx.nodes.valid(node) && ctx.nodes[node].type == Bank;
}

}  // namespace

void showBankPropertiesDialog(Context& ctx, HWND owner, const int* bankNodes, int count) {
  run(IDD_BANK_PROPERTIES, propertiesProc, BankDialog{&ctx, bankNodes, count}, owner);
}

void showRenameBankDialog(Context& ctx, HWND owner, int bankNode) {
  if (isBank(ctx, bankNode))
    run(IDD_RENAME_BANK, renameProc, BankDialog{&ctx, &bankNode, 1}, owner);
}

void showRenumberBankDialog(Context& ctx, HWND owner, int bankNode) {
  if (isBank(ctx, bankNode))
    run(IDD_RENUMBER_BANK, renumberProc, BankDialog{&ctx, &bankNode, 1}, owner);
}

bool askNewBankName(HWND owner, std::string* name) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_NEW_BANK), owner,
                         newBankProc, reinterpret_cast<LPARAM>(name)) == IDOK;
}
