// Verification through the XTM middleware. No middleware is driven from
// here yet: the call reports that the middleware is not usable.
#include "common/debuglog.h"
#include "crypto/sig_verify.h"

int XTMCertVerifySignedData(const unsigned char* /*cert*/, int /*cert_len*/,
                            const unsigned char* /*data*/, int /*data_len*/,
                            const unsigned char* /*sig*/, int /*sig_len*/, int /*reserved*/) {
  oesqx::dbg::Str("XTMCertVerifySignedData Cert Err");
  return 0;
}
