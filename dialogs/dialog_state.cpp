// The process-wide state of the dialog service, all in one place.
#include "dialogs/dialogs.h"

extern "C" {

OESQX_API unsigned char g_blHasLoadDlg = 0;
OESQX_API void* g_hDialogCB = nullptr;
OESQX_API PFN_MessageBoxCB pfnMessageBoxCB = nullptr;
OESQX_API PFN_ShowPinDialogCB pfnShowPinDialogCB = nullptr;
OESQX_API unsigned char g_blGTKInit = 0;
OESQX_API unsigned char g_inShowPinMode = 0;

}  // extern "C"
