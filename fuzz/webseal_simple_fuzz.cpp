// Web seal text form: splitting into blocks, then every control decoded
// (fields, Base64 values, handwriting strokes) and checked against form data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "webseal/web_obj.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  WEB_OBJ obj;
  DecodeSimpleData(text.c_str(), &obj);
  for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    SubLoadWebSeal(obj.m_lstCtrl.GetNext(pos), obj.m_cSealPwd, "Zm9ybQ==");
  }
  FreeWebSealObj(&obj, 0);
  return 0;
}
