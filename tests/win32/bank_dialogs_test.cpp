// The bank dialogs from the program's resources, answered by a timer that
// reads and fills them as a user would.
#include "esifs/win32/bank_dialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/resource_ids.h"
#include "tests/support/memory_disk.h"

namespace {

// The timer procedure has no user data: the test's answer waits here.
std::function<void(HWND)> answer;

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "#32770" || !IsWindowVisible(window))
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

VOID CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog)
    return;
  KillTimer(nullptr, timer);
  answer(dialog);
}

// Runs a dialog and answers it once it shows.
void withAnswer(std::function<void(HWND)> act, const std::function<void()>& show) {
  answer = std::move(act);
  UINT_PTR timer = SetTimer(nullptr, 0, 20, onTimer);
  show();
  KillTimer(nullptr, timer);
}

std::string text(HWND dialog, int id) {
  char buffer[64] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return buffer;
}

void press(HWND dialog, int button) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

DiskScenario* twoBanks() {
  auto* s = new DiskScenario;
  s->image.addBank(4, "CELLO", MakeBankData(1536, "CELLO", 4));
  s->image.addBank(9, "FLUTE", MakeBankData(1024, "FLUTE", 9));
  s->list();
  return s;
}

TEST(BankDialogs, RenameTakesUpTo16CharactersAndRenamesOnOk) {
  std::unique_ptr<DiskScenario> s(twoBanks());
  std::string shown;
  LRESULT limit = 0;
  withAnswer(
      [&](HWND d) {
        shown = text(d, IDC_BANK_NAME);
        limit = SendDlgItemMessageA(d, IDC_BANK_NAME, EM_GETLIMITTEXT, 0, 0);
        SetDlgItemTextA(d, IDC_BANK_NAME, "VIOLONCELLO");
        press(d, IDOK);
      },
      [&] { showRenameBankDialog(s->ctx, nullptr, s->bank(4)); });
  EXPECT_EQ(shown, "CELLO");
  EXPECT_EQ(limit, 16);
  EXPECT_STREQ(s->node(s->bank(4)).name, "VIOLONCELLO");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(s->image.indexEntry(0, 0)), 16),
            "VIOLONCELLO     ");
  EXPECT_TRUE(s->tc.host.messages.empty());
}

TEST(BankDialogs, RenameWithTheSameNameOrCancelWritesNothing) {
  std::unique_ptr<DiskScenario> s(twoBanks());
  withAnswer([](HWND d) { press(d, IDOK); },
             [&] { showRenameBankDialog(s->ctx, nullptr, s->bank(4)); });
  withAnswer(
      [](HWND d) {
        SetDlgItemTextA(d, IDC_BANK_NAME, "OTHER");
        press(d, IDCANCEL);
      },
      [&] { showRenameBankDialog(s->ctx, nullptr, s->bank(4)); });
  EXPECT_TRUE(s->driver.transfers.empty());
  EXPECT_STREQ(s->node(s->bank(4)).name, "CELLO");
}

TEST(BankDialogs, RenumberOffersB00ToB99AndMovesTheBank) {
  std::unique_ptr<DiskScenario> s(twoBanks());
  std::string name, first, last;
  LRESULT entries = 0, selected = -1;
  withAnswer(
      [&](HWND d) {
        name = text(d, IDC_BANK_NAME);
        entries = SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_GETCOUNT, 0, 0);
        selected = SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_GETCURSEL, 0, 0);
        char item[16] = {};
        SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
        first = item;
        SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_GETLBTEXT, 99, reinterpret_cast<LPARAM>(item));
        last = item;
        SendDlgItemMessageA(d, IDC_BANK_NUMBER, CB_SETCURSEL, 7, 0);
        press(d, IDOK);
      },
      [&] { showRenumberBankDialog(s->ctx, nullptr, s->bank(4)); });
  EXPECT_EQ(name, "CELLO");
  EXPECT_EQ(entries, 100);
  EXPECT_EQ(selected, 4);
  EXPECT_EQ(first, "B00");
  EXPECT_EQ(last, "B99");
  EXPECT_EQ(s->bankNumbers(), (std::vector<int>{7, 9}));
  EXPECT_STREQ(s->node(s->bank(7)).name, "CELLO");
}

}  // namespace
