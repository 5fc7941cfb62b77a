/* The binary interface between liboesqx and the dialog library libqxdlgcb.
 *
 * liboesqx looks both functions up by these plain names at run time; either
 * may be missing, and the matching built-in dialog is used instead. Texts go
 * in as NUL-terminated UTF-8; nothing is allocated across the boundary. */
#ifndef OESQX_DIALOGS_QXDLGCB_H
#define OESQX_DIALOGS_QXDLGCB_H

/* A dialog library defines QXDLGCB_BUILD so that its two functions are
 * exported; every other includer only sees the declarations. */
#if defined(QXDLGCB_BUILD) && defined(__GNUC__)
#define QXDLGCB_API __attribute__((visibility("default")))
#else
#define QXDLGCB_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The smallest PIN buffer a caller hands to ShowPinDialogCB: a PIN comes back
 * as at most 31 bytes plus the terminating NUL. */
#define QXDLGCB_PIN_BUFFER_SIZE 32

#define QXDLGCB_MESSAGEBOX_NAME "MessageBoxCB"
#define QXDLGCB_SHOWPINDIALOG_NAME "ShowPinDialogCB"

/* Shows `text` in a message box; `kind` is 1 information, 2 error,
 * 3 question or 4 warning. Returns 0; the caller ignores the result. */
typedef int (*PFN_MessageBoxCB)(int kind, const char* text);

/* Asks the user for a PIN into `buffer` (at least QXDLGCB_PIN_BUFFER_SIZE
 * bytes). Returns 0 when the user confirmed, the PIN then being in `buffer`;
 * non-zero (1) when the user cancelled or `buffer` is null. */
typedef int (*PFN_ShowPinDialogCB)(char* buffer);

QXDLGCB_API int MessageBoxCB(int kind, const char* text);
QXDLGCB_API int ShowPinDialogCB(char* buffer);

#ifdef __cplusplus
}
#endif

#endif
