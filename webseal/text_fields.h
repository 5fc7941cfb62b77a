// Field lookup in one block of the web seal text form: "key:value;" pairs
// found by their key anywhere in the block, each value ending at the next
// ";" (or at the end of the block).
#ifndef OESQX_WEBSEAL_TEXT_FIELDS_H
#define OESQX_WEBSEAL_TEXT_FIELDS_H

#include <string>
#include <string_view>
#include <vector>

namespace oesqx::webseal {

// The value of the first occurrence of `key` (which ends in ':') in `block`.
bool FindField(std::string_view block, std::string_view key, std::string_view* value);

// A decimal number as atoi reads it (leading blanks, a sign, digits, then
// anything); 0 when there are no digits. Out-of-range values saturate.
long ParseDecimal(std::string_view text);

// The bytes of Base64 text (empty for empty text).
std::vector<unsigned char> DecodeBase64(std::string_view text);

}  // namespace oesqx::webseal

#endif
