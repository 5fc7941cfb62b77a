// Internal helpers of the web seal controls: making, resetting and
// destroying them, name lookups, and the markers of the text form.
#ifndef OESQX_WEBSEAL_WEB_CTRL_H
#define OESQX_WEBSEAL_WEB_CTRL_H

#include <cstddef>
#include <cstdint>

#include "webseal/web_obj.h"

namespace oesqx::webseal {

inline constexpr char kTextBegin[] = "WebSignDataBegin::";  // 18 characters
inline constexpr char kTextEnd[] = ";::WebSignDataEnd";
inline constexpr size_t kTextBeginLen = sizeof(kTextBegin) - 1;
inline constexpr size_t kTextEndLen = sizeof(kTextEnd) - 1;

// Largest text kept in a 64-byte field.
inline constexpr size_t kMaxText = 63;

// A new zeroed control (operator new).
WEB_CTRL_INFO* NewControl();
// Frees what the control owns, then the control.
void DeleteControl(WEB_CTRL_INFO* ctrl);
// Frees and zeroes every decoded field; verified becomes 1 and scale 100.
// Name, second name, position, raw data and the loaded flag are kept.
void ResetDecoded(WEB_CTRL_INFO* ctrl);

bool NameInUse(const WEB_OBJ& obj, const char* name);
bool SecondNameInUse(const WEB_OBJ& obj, const char* name);

// Copies at most kMaxText bytes of `text` (stopping at a zero within `len`)
// into a 64-byte field and terminates it.
void CopyField(char* field, const char* text, size_t len);

// A malloc'd copy of `len` bytes (null for 0 or on exhaustion).
unsigned char* MallocCopy(const void* data, size_t len);

// True when `data` begins with the text form's begin marker, in any case.
bool IsTextForm(const unsigned char* data, size_t len);

// Decoding of each form, after the control was reset (load_binary.cpp,
// load_text.cpp). The result codes of SubLoadWebSeal.
int LoadBinaryControl(WEB_CTRL_INFO* ctrl);
int LoadTextControl(WEB_CTRL_INFO* ctrl, char* seal_pwd);

}  // namespace oesqx::webseal

#endif
