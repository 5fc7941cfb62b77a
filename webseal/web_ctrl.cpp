// Making, resetting and destroying web seal controls; releasing a set.
#include "webseal/web_ctrl.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "webseal/pen_note.h"

namespace oesqx::webseal {

WEB_CTRL_INFO* NewControl() { return new WEB_CTRL_INFO(); }

void ResetDecoded(WEB_CTRL_INFO* c) {
  std::free(c->m_pSealData);
  std::free(c->m_pCert);
  std::free(c->m_pSign);
  delete c->m_pPenNote;
  // Everything after the raw data is decoded; keep the split's fields.
  WEB_CTRL_INFO kept{};
  kept.m_blLoaded = c->m_blLoaded;
  std::memcpy(kept.m_cName, c->m_cName, sizeof(kept.m_cName));
  std::memcpy(kept.m_cName2, c->m_cName2, sizeof(kept.m_cName2));
  std::memcpy(kept.m_cPosition, c->m_cPosition, sizeof(kept.m_cPosition));
  kept.m_pRawData = c->m_pRawData;
  kept.m_nRawLen = c->m_nRawLen;
  kept.m_blVerified = 1;
  kept.m_nScale = 100;
  *c = kept;
}

void DeleteControl(WEB_CTRL_INFO* c) {
  if (c == nullptr) return;
  ResetDecoded(c);
  std::free(c->m_pRawData);
  delete c;
}

bool NameInUse(const WEB_OBJ& obj, const char* name) {
  for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    if (std::strcmp(obj.m_lstCtrl.GetNext(pos)->m_cName, name) == 0) return true;
  }
  return false;
}

bool SecondNameInUse(const WEB_OBJ& obj, const char* name) {
  for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    if (std::strcmp(obj.m_lstCtrl.GetNext(pos)->m_cName2, name) == 0) return true;
  }
  return false;
}

void CopyField(char* field, const char* text, size_t len) {
  size_t n = 0;
  while (n < len && n < kMaxText && text[n] != '\0') ++n;
  if (n != 0) std::memcpy(field, text, n);
  field[n] = '\0';
}

unsigned char* MallocCopy(const void* data, size_t len) {
  if (len == 0) return nullptr;
  auto* p = static_cast<unsigned char*>(std::malloc(len));
  if (p != nullptr) std::memcpy(p, data, len);
  return p;
}

bool IsTextForm(const unsigned char* data, size_t len) {
  return data != nullptr && len >= kTextBeginLen &&
         strncasecmp(reinterpret_cast<const char*>(data), kTextBegin, kTextBeginLen) == 0;
}

}  // namespace oesqx::webseal

extern "C" WEB_OBJ* FreeWebSealObj(WEB_OBJ* obj, int index) {
  using namespace oesqx::webseal;
  if (obj == nullptr) return nullptr;
  if (index == 0) {
    for (POSITION pos = obj->m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
      DeleteControl(obj->m_lstCtrl.GetNext(pos));
    }
    obj->m_lstCtrl.RemoveAll();
  } else if (index > 0) {
    int i = 1;
    for (POSITION pos = obj->m_lstCtrl.GetHeadPosition(); pos != nullptr; ++i) {
      POSITION here = pos;
      WEB_CTRL_INFO* c = obj->m_lstCtrl.GetNext(pos);
      if (i == index) {
        DeleteControl(c);
        obj->m_lstCtrl.RemoveAt(here);
        break;
      }
    }
  }
  std::memset(obj->m_cSealPwd, 0, sizeof(obj->m_cSealPwd));
  return obj;
}
