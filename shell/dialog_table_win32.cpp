#include "shell/dialog_table_win32.h"

#include "resources/resource_ids.h"
#include "ui/about_dialog_win32.h"
#include "ui/advice_dialog_win32.h"
#include "ui/settings_dialog_win32.h"
#include "view/control_menu_win32.h"

DLGPROC DialogProcedureFor(int templateId) {
  switch (templateId) {
    case IDD_CONTROL_MENU: return ControlMenuProcedure;
    case IDD_ABOUT: return AboutDialogProc;
    case IDD_ADVICE: return AdviceDialogProc;
    case IDD_SETTINGS: return PrepareSettingsDialog();
    default: return nullptr;
  }
}
