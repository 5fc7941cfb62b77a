// Splitting the web seal text form into controls: one control per
// "WebSignDataBegin::" ... ";::WebSignDataEnd" block.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/debuglog.h"
#include "webseal/text_fields.h"
#include "webseal/web_ctrl.h"

extern "C" int DecodeSimpleData(const char* text, WEB_OBJ* obj) {
  using namespace oesqx::webseal;
  if (obj == nullptr) return 0;
  if (text == nullptr) return obj->m_lstCtrl.GetCount();
  const std::string_view all(text);
  size_t start = 0;  // the first block starts at the start of the text
  while (true) {
    const size_t end = all.find(kTextEnd, start);
    if (end == std::string_view::npos) break;
    // The block runs up to and including the ";" of the end marker.
    const std::string_view block = all.substr(start, end - start + 1);

    WEB_CTRL_INFO* c = NewControl();
    std::string_view value;
    if (FindField(block, "seal_name:", &value) && !value.empty() && value.size() <= kMaxText &&
        !NameInUse(*obj, std::string(value).c_str())) {
      CopyField(c->m_cName, value.data(), value.size());
      CopyField(c->m_cName2, value.data(), value.size());
    } else {
      GenerateSealName(obj, nullptr, c->m_cName, c->m_cName2, nullptr, nullptr, nullptr);
    }
    if (FindField(block, "seal_position:", &value) && value.size() <= kMaxText) {
      CopyField(c->m_cPosition, value.data(), value.size());
    }
    c->m_pRawData = static_cast<unsigned char*>(std::malloc(block.size() + 1));
    if (c->m_pRawData == nullptr) {
      DeleteControl(c);
      break;
    }
    std::memcpy(c->m_pRawData, block.data(), block.size());
    c->m_pRawData[block.size()] = '\0';
    c->m_nRawLen = static_cast<uint32_t>(block.size());
    obj->m_lstCtrl.AddTail(c);
    oesqx::dbg::Str("New WebCtrl");
    oesqx::dbg::Str(c->m_cName);

    const size_t next = all.find(kTextBegin, end + kTextEndLen);
    if (next == std::string_view::npos) break;
    start = next;
  }
  return obj->m_lstCtrl.GetCount();
}
