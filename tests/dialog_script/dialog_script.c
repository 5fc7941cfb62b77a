/* A scripted dialog library for tests: it stands in for libqxdlgcb so that
 * code showing a message or asking for a PIN runs headless.
 *
 * Every dialog is appended as one line to the file named by
 * OESQX_DIALOG_LOG:
 *   "msg <kind> <text>"   for MessageBoxCB
 *   "pin <f> ok <pin>"    for ShowPinDialogCB when a PIN was answered
 *   "pin <f> cancel"      for ShowPinDialogCB when it was cancelled
 * with backslash, CR and LF in texts written as \\, \r and \n. <f> is the
 * byte at the address OESQX_DIALOG_PIN_FLAG gives (in hex) while the dialog
 * is open, "0" or "1", or "-" when no address is given: it shows what the
 * caller's PIN-mode flag read from inside the dialog.
 *
 * PIN requests are answered from the file named by OESQX_DIALOG_PINS, one
 * answer a line, each line used once: "cancel" cancels, any other line
 * (also an empty one) is confirmed as the PIN. No answer left cancels. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "dialogs/qxdlgcb.h"

#define MAX_ANSWER 4096

/* Not every variant uses every helper. */
#define MAYBE_UNUSED __attribute__((unused))

MAYBE_UNUSED static void WriteEscaped(FILE* f, const char* text) {
  for (; *text != '\0'; ++text) {
    switch (*text) {
      case '\\': fputs("\\\\", f); break;
      case '\n': fputs("\\n", f); break;
      case '\r': fputs("\\r", f); break;
      default: fputc(*text, f); break;
    }
  }
}

MAYBE_UNUSED static void Record(const char* head, const char* text) {
  const char* name = getenv("OESQX_DIALOG_LOG");
  if (name == NULL || name[0] == '\0') return;
  FILE* f = fopen(name, "ab");
  if (f == NULL) return;
  fputs(head, f);
  if (text != NULL) WriteEscaped(f, text);
  fputc('\n', f);
  fclose(f);
}

/* Takes the first line of the answers file into `answer` and writes the
 * rest back. Returns 0 when there was no answer left. */
MAYBE_UNUSED static int NextAnswer(char* answer, size_t size) {
  const char* name = getenv("OESQX_DIALOG_PINS");
  if (name == NULL || name[0] == '\0') return 0;
  FILE* f = fopen(name, "rb");
  if (f == NULL) return 0;
  char* rest = NULL;
  size_t rest_len = 0;
  int found = 0;
  if (fgets(answer, (int)size, f) != NULL) {
    found = 1;
    answer[strcspn(answer, "\r\n")] = '\0';
    long here = ftell(f);
    fseek(f, 0, SEEK_END);
    long end = ftell(f);
    if (here >= 0 && end > here) {
      rest_len = (size_t)(end - here);
      rest = malloc(rest_len);
      fseek(f, here, SEEK_SET);
      if (rest != NULL) rest_len = fread(rest, 1, rest_len, f);
    }
  }
  fclose(f);
  if (!found) return 0;
  f = fopen(name, "wb");
  if (f != NULL) {
    if (rest != NULL) fwrite(rest, 1, rest_len, f);
    fclose(f);
  }
  free(rest);
  return 1;
}

#ifndef SCRIPT_NO_MESSAGEBOX
QXDLGCB_API int MessageBoxCB(int kind, const char* text) {
  char head[32];
  snprintf(head, sizeof(head), "msg %d ", kind);
  Record(head, text != NULL ? text : "");
  return 0;
}
#endif

#ifndef SCRIPT_NO_PINDIALOG
static char PinFlag(void) {
  const char* addr = getenv("OESQX_DIALOG_PIN_FLAG");
  if (addr == NULL || addr[0] == '\0') return '-';
  const unsigned char* flag = (const unsigned char*)(size_t)strtoull(addr, NULL, 16);
  return flag == NULL ? '-' : (char)('0' + (*flag != 0));
}

QXDLGCB_API int ShowPinDialogCB(char* buffer) {
  if (buffer == NULL) return 1;
  char head[32];
  const char flag = PinFlag();
  char answer[MAX_ANSWER];
  if (!NextAnswer(answer, sizeof(answer)) || strcmp(answer, "cancel") == 0) {
    snprintf(head, sizeof(head), "pin %c cancel", flag);
    Record(head, NULL);
    return 1;
  }
  /* Like the real library: at most 31 bytes and a NUL. */
  size_t n = strlen(answer);
  if (n > QXDLGCB_PIN_BUFFER_SIZE - 1) n = QXDLGCB_PIN_BUFFER_SIZE - 1;
  memcpy(buffer, answer, n);
  buffer[n] = '\0';
  snprintf(head, sizeof(head), "pin %c ok ", flag);
  Record(head, buffer);
  return 0;
}
#endif

#if defined(SCRIPT_NO_MESSAGEBOX) && defined(SCRIPT_NO_PINDIALOG)
/* A library that loads but offers neither function. */
QXDLGCB_API int DialogScriptNothing(void) { return 0; }
#endif
