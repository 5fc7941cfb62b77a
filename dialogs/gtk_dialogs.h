// The GTK+ 2 dialogs used when the dialog library does not provide one.
// Both run modally on the calling thread inside the GDK thread lock.
#ifndef OESQX_DIALOGS_GTK_DIALOGS_H
#define OESQX_DIALOGS_GTK_DIALOGS_H

#include <cstddef>

namespace oesqx::dialogs {

// Window titles and button labels of the PIN dialog.
inline constexpr const char kPinTitle[] = "请输入PIN码";
inline constexpr const char kPinOk[] = "确定";
inline constexpr const char kPinCancel[] = "取消";
// The most characters the PIN entry accepts.
inline constexpr int kPinMaxChars = 32;

// The GtkMessageType shown for a message box kind; kinds outside 1-4 show
// the information icon.
int GtkMessageTypeForKind(int kind);

// Initialises GTK if needed and shows `text` literally in a modal message
// box with a single OK button. Shows nothing when no display can be opened.
void GtkMessageBox(void* parent, int kind, const char* text);

// Initialises GTK if needed and runs the PIN dialog. On OK the entry's text
// is copied into `buffer` (cut at a character boundary to fit `size` bytes);
// otherwise `buffer` is left as it was. Returns false when the dialog could
// not be created (or no display could be opened).
bool GtkPinDialog(char* buffer, size_t size);

// Copies the UTF-8 text `text` into `buffer` of `size` bytes, cut at a
// character boundary so that it and its NUL fit.
void CopyUtf8Bounded(char* buffer, size_t size, const char* text);

}  // namespace oesqx::dialogs

#endif
