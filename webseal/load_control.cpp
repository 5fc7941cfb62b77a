// Decoding one web seal control (once), in either form, and checking its
// form digest against the form data.
#include <cstring>
#include <vector>

#include "common/debuglog.h"
#include "crypto/builtin_keys.h"
#include "crypto/digest.h"
#include "webseal/text_fields.h"
#include "webseal/web_ctrl.h"

namespace oesqx::webseal {
namespace {

// Clears the verified flag when the SHA-1 of the decoded form data (or of
// the marker text when it decodes to nothing) differs from the digest.
void CheckFormDigest(WEB_CTRL_INFO* c, const char* form_data) {
  if (!c->m_blDigestApplies || c->m_blHasStrokes || form_data == nullptr || form_data[0] == '\0') {
    return;
  }
  const std::vector<unsigned char> form = DecodeBase64(form_data);
  uint8_t digest[20];
  if (form.empty()) {
    GenerateSHA(digest, reinterpret_cast<const unsigned char*>(builtin_keys::kWebSealEmptyFormMarker),
                sizeof(builtin_keys::kWebSealEmptyFormMarker) - 1);
  } else {
    GenerateSHA(digest, form.data(), static_cast<unsigned>(form.size()));
  }
  if (std::memcmp(digest, c->m_bFormDigest, sizeof(digest)) != 0) {
    c->m_blVerified = 0;
    dbg::Str("!Verify");
  }
}

}  // namespace
}  // namespace oesqx::webseal

extern "C" int SubLoadWebSeal(WEB_CTRL_INFO* ctrl, char* seal_pwd, const char* form_data) {
  using namespace oesqx::webseal;
  oesqx::dbg::Str("SubLoadWebSeal S");
  if (ctrl == nullptr) {
    oesqx::dbg::Str("SubLoadWebSeal E0");
    return 0;
  }
  if (ctrl->m_blLoaded) return 1;
  ctrl->m_blLoaded = 1;
  if (ctrl->m_pRawData == nullptr || ctrl->m_nRawLen == 0) {
    oesqx::dbg::Str("SubLoadWebSeal E2");
    return 0;
  }
  ResetDecoded(ctrl);
  const int rc = IsTextForm(ctrl->m_pRawData, ctrl->m_nRawLen) ? LoadTextControl(ctrl, seal_pwd)
                                                               : LoadBinaryControl(ctrl);
  if (rc != 1) return rc;
  CheckFormDigest(ctrl, form_data);
  oesqx::dbg::Str("SubLoadWebSeal Ret");
  return 1;
}
