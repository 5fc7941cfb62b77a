// Test helpers for certificate and signature tests: SM2 keys and
// signatures made by OpenSSL, signature form conversions, and the test PKI
// that make_pki.sh builds with the OpenSSL command line.
#ifndef OESQX_TESTS_PKI_PKI_SUPPORT_H
#define OESQX_TESTS_PKI_PKI_SUPPORT_H

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "crypto/ossl_ptr.h"
#include "test_support.h"

namespace oesqx::test::pki {

inline constexpr char kSm2Id[] = "1234567812345678";

struct Sm2Key {
  ossl::PkeyPtr pkey;
  Bytes pub65;  // 04 || X || Y
};

inline Sm2Key NewSm2Key() {
  Sm2Key key;
  key.pkey.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2"));
  if (!key.pkey) throw std::runtime_error("SM2 keygen failed");
  key.pub65.resize(65);
  size_t len = 0;
  if (EVP_PKEY_get_octet_string_param(key.pkey.get(), OSSL_PKEY_PARAM_PUB_KEY, key.pub65.data(), 65,
                                      &len) != 1 ||
      len != 65)
    throw std::runtime_error("SM2 public key");
  return key;
}

// OpenSSL's SM2 signature (SM3, identifier "1234567812345678"), in DER.
inline Bytes Sm2SignDer(EVP_PKEY* pkey, const Bytes& msg) {
  ossl::MdCtxPtr md(EVP_MD_CTX_new());
  ossl::PkeyCtxPtr pctx(EVP_PKEY_CTX_new(pkey, nullptr));
  if (!md || !pctx ||
      EVP_PKEY_CTX_set1_id(pctx.get(), kSm2Id, 16) != 1)
    throw std::runtime_error("SM2 sign setup");
  EVP_MD_CTX_set_pkey_ctx(md.get(), pctx.get());
  if (EVP_DigestSignInit(md.get(), nullptr, EVP_sm3(), nullptr, pkey) != 1)
    throw std::runtime_error("SM2 sign init");
  size_t len = 80;
  Bytes sig(len);
  if (EVP_DigestSign(md.get(), sig.data(), &len, msg.data(), msg.size()) != 1)
    throw std::runtime_error("SM2 sign");
  sig.resize(len);
  return sig;
}

// r and s of a DER ECDSA-style signature as two 32-byte big-endian fields.
inline Bytes DerToRaw64(const Bytes& der) {
  const unsigned char* p = der.data();
  ossl::Ptr<ECDSA_SIG> sig(d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(der.size())));
  if (!sig) throw std::runtime_error("not a DER signature");
  Bytes raw(64);
  BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), raw.data(), 32);
  BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), raw.data() + 32, 32);
  return raw;
}

// The 128-byte key blob: r and s right-aligned in two 64-byte fields.
inline Bytes RawToBlob128(const Bytes& raw64) {
  Bytes blob(128, 0);
  std::copy(raw64.begin(), raw64.begin() + 32, blob.begin() + 32);
  std::copy(raw64.begin() + 32, raw64.end(), blob.begin() + 96);
  return blob;
}

// DER SEQUENCE { INTEGER r, INTEGER s } from 32-byte r and s as they are
// (minimal encoding: leading zeros dropped, 00 before a high bit).
inline Bytes RawToDer(const Bytes& raw64) {
  ossl::Ptr<ECDSA_SIG> sig(ECDSA_SIG_new());
  ECDSA_SIG_set0(sig.get(), BN_bin2bn(raw64.data(), 32, nullptr),
                 BN_bin2bn(raw64.data() + 32, 32, nullptr));
  unsigned char* out = nullptr;
  const int len = i2d_ECDSA_SIG(sig.get(), &out);
  Bytes der(out, out + len);
  OPENSSL_free(out);
  return der;
}

// The folder of the test PKI. make_pki.sh builds it once per build folder
// and script version (tests run as separate processes, and RSA key
// generation is slow): into a private folder first, then renamed into place,
// so concurrent test processes see either nothing or the whole PKI.
// OESQX_PKI_DIR, when set, names a folder built before.
inline const std::string& PkiDir() {
  static const std::string dir = [] {
    if (const char* env = std::getenv("OESQX_PKI_DIR"); env != nullptr) return std::string(env);
    namespace fs = std::filesystem;
    const fs::path script = fs::path(__FILE__).parent_path() / "make_pki.sh";
    const Bytes text = ReadFile(script.string());
    const size_t version = std::hash<std::string>{}(std::string(text.begin(), text.end()));
    const fs::path build = fs::path(OESQX_EXPORT_LIST).parent_path();
    const fs::path final_dir = build / ("test-pki-" + std::to_string(version));
    if (fs::exists(final_dir)) return final_dir.string();
    std::string tmpl = final_dir.string() + ".tmp.XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp " + tmpl);
    const std::string cmd = "bash '" + script.string() + "' '" + tmpl + "' >'" + tmpl + "/make.log' 2>&1";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("make_pki.sh failed: see " + tmpl);
    std::error_code ec;
    fs::rename(tmpl, final_dir, ec);
    if (ec) fs::remove_all(tmpl, ec);  // another process was first
    return final_dir.string();
  }();
  return dir;
}

inline Bytes PkiFile(const std::string& name) { return ReadFile(PkiDir() + "/" + name); }

}  // namespace oesqx::test::pki

#endif
