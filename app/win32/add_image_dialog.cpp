// The "Add ISO image" dialog of the CD image driver's Disk menu.
#include "app/win32/dialogs.h"
#include "app/win32/file_dialogs.h"
#include "app/win32/main_window.h"
#include "media/image_commands.h"
#include "resources/resource_ids.h"

static INT_PTR CALLBACK addImageDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lp);
    return TRUE;
  }
  if (message != WM_COMMAND)
    return FALSE;
  Context& ctx = *reinterpret_cast<Context*>(GetWindowLongPtrA(dialog, DWLP_USER));
  std::string path;
  switch (LOWORD(wp)) {
    case IDC_ADD_IMAGE:
      if (runFileDialog(dialog, kAddImageFile, "", &path))
        AddImageFile(ctx, path);
      EndDialog(dialog, IDC_ADD_IMAGE);
      return TRUE;
    case IDC_CREATE_IMAGE:
      // A failed creation is reported; the name is registered anyway and
      // drops out of the list when it does not open.
      if (runFileDialog(dialog, kCreateImageFile, "", &path)) {
        CreateImageFile(ctx, path);
        AddImageFile(ctx, path);
      }
      EndDialog(dialog, IDC_CREATE_IMAGE);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void showAddImageDialog(MainWindow& app, int) {
  // The image driver is found from the driver table, so the node it was
  // opened for is not needed.
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ADD_ISO_IMAGE), app.window, addImageDialogProc,
                  reinterpret_cast<LPARAM>(&app.ctx));
}
