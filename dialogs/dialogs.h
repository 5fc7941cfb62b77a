/* The dialog service of liboesqx: an error message box and a PIN dialog,
 * served by the dialog library when one is installed, else built with GTK+ 2.
 *
 * The functions are internal to liboesqx; the globals are exported so that
 * outside readers (the host, the key layer) can see the service's state. */
#ifndef OESQX_DIALOGS_DIALOGS_H
#define OESQX_DIALOGS_DIALOGS_H

#include "common/export.h"
#include "dialogs/qxdlgcb.h"

OESQX_EXTERN_C_BEGIN

/* Set once the library search has run (also when nothing was found). */
OESQX_API extern unsigned char g_blHasLoadDlg;
/* The loaded dialog library, or null. */
OESQX_API extern void* g_hDialogCB;
/* The library's two functions, each null when missing. */
OESQX_API extern PFN_MessageBoxCB pfnMessageBoxCB;
OESQX_API extern PFN_ShowPinDialogCB pfnShowPinDialogCB;
/* Set once this service has initialised GTK. */
OESQX_API extern unsigned char g_blGTKInit;
/* 1 while a PIN dialog (library or GTK) is open, 0 otherwise. */
OESQX_API extern unsigned char g_inShowPinMode;

/* Searches the dialog library once per process (until FreeDialogDrv). */
void LoadDialogDrv(void);
/* Closes the dialog library and allows a new search. */
void FreeDialogDrv(void);
/* Initialises GTK on the first call; later calls do nothing. */
void InitGTK(void);

/* Shows `text` (UTF-8, shown literally) in a modal message box of `kind`
 * (1 information, 2 error, 3 question, 4 warning) over the GTK window
 * `parent` or none. Always returns 1. */
int MessageBox(void* parent, int kind, const char* text);

/* Asks for a PIN into `buffer`, which is emptied first and must hold
 * OESQX_PIN_BUFFER_SIZE bytes. Returns 1 when a PIN was obtained, 0 otherwise;
 * a confirmed empty PIN returns 1 with an empty buffer. A null buffer
 * returns 0 without a dialog. */
int ShowPinDialog(void* buffer);

/* The size of the PIN buffer ShowPinDialog fills (that of the login's PIN
 * buffer): a typed PIN is cut to fit, never written past it. */
#define OESQX_PIN_BUFFER_SIZE 64

OESQX_EXTERN_C_END

#endif
