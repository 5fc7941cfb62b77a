#include "webseal/text_fields.h"

#include <climits>

#include "common/base64.h"

namespace oesqx::webseal {

bool FindField(std::string_view block, std::string_view key, std::string_view* value) {
  const size_t at = block.find(key);
  if (at == std::string_view::npos) return false;
  std::string_view rest = block.substr(at + key.size());
  const size_t end = rest.find(';');
  *value = end == std::string_view::npos ? rest : rest.substr(0, end);
  return true;
}

long ParseDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (v < INT_MAX) v = v * 10 + (text[i] - '0');
  }
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<long>(negative ? -v : v);
}

std::vector<unsigned char> DecodeBase64(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  CBase64Coder coder;
  coder.Decode(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
  const unsigned char* p = coder.DecodedMessage();
  return std::vector<unsigned char>(p, p + coder.DecodedMessageSize());
}

}  // namespace oesqx::webseal
