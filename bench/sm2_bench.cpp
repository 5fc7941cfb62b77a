// Signature verification: SM2 (digest with identity + verification from the
// raw key bytes) beside OpenSSL's own SM2 verification through EVP with a
// parsed key, and RSA-2048 through SSLVerifySignedData beside EVP on the same
// data and signature, from the DER certificate and from a parsed key. Our
// calls also write their debug log lines (set OESQX_PATH_ROOT to a scratch
// folder for the run).
#include <benchmark/benchmark.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <stdexcept>
#include <vector>

#include "crypto/ossl_ptr.h"
#include "crypto/sig_verify.h"
#include "crypto/sm2_verify.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr char kId[] = "1234567812345678";

struct Sm2Fixture {
  oesqx::ossl::PkeyPtr key{EVP_PKEY_Q_keygen(nullptr, nullptr, "SM2")};
  Bytes pub = Bytes(65);
  Bytes msg = Bytes(32, 0x5A);  // a document digest, as stamps sign it
  Bytes sig;

  Sm2Fixture() {
    size_t len = 0;
    EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_PUB_KEY, pub.data(), 65, &len);
    oesqx::ossl::MdCtxPtr md(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(key.get(), nullptr);
    EVP_PKEY_CTX_set1_id(pctx, kId, 16);
    EVP_MD_CTX_set_pkey_ctx(md.get(), pctx);
    EVP_DigestSignInit(md.get(), nullptr, EVP_sm3(), nullptr, key.get());
    size_t sig_len = 80;
    sig.resize(sig_len);
    EVP_DigestSign(md.get(), sig.data(), &sig_len, msg.data(), msg.size());
    sig.resize(sig_len);
    EVP_PKEY_CTX_free(pctx);
  }
};

const Sm2Fixture& Sm2() {
  static const Sm2Fixture f;
  return f;
}

void Ours_Sm2Verify(benchmark::State& state) {
  const Sm2Fixture& f = Sm2();
  const Bytes xy(f.pub.begin() + 1, f.pub.end());
  for (auto _ : state) {
    unsigned char e[32];
    SM3_WithSM2(e, f.msg.data(), static_cast<int>(f.msg.size()), nullptr, 0, xy.data(), 64);
    const int r = SM2_Verify_DATA(e, f.sig.data(), static_cast<int>(f.sig.size()), f.pub.data(), 65);
    if (r != 1) state.SkipWithError("not verified");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
}

void Peer_Sm2Verify(benchmark::State& state) {
  const Sm2Fixture& f = Sm2();
  for (auto _ : state) {
    oesqx::ossl::MdCtxPtr md(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = EVP_PKEY_CTX_new(f.key.get(), nullptr);
    EVP_PKEY_CTX_set1_id(pctx, kId, 16);
    EVP_MD_CTX_set_pkey_ctx(md.get(), pctx);
    EVP_DigestVerifyInit(md.get(), nullptr, EVP_sm3(), nullptr, f.key.get());
    const int r = EVP_DigestVerify(md.get(), f.sig.data(), f.sig.size(), f.msg.data(), f.msg.size());
    EVP_PKEY_CTX_free(pctx);
    if (r != 1) state.SkipWithError("not verified");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
}

struct RsaFixture {
  Bytes cert, data = Bytes(1024, 0x33), sig;

  RsaFixture() {
    oesqx::ossl::PkeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", size_t{2048}));
    oesqx::ossl::X509Ptr x(X509_new());
    X509_set_version(x.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x.get()), 1);
    X509_NAME* name = X509_get_subject_name(x.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("bench"), -1, -1, 0);
    X509_set_issuer_name(x.get(), name);
    X509_gmtime_adj(X509_getm_notBefore(x.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(x.get()), 86400);
    X509_set_pubkey(x.get(), key.get());
    X509_sign(x.get(), key.get(), EVP_sha256());
    unsigned char* der = nullptr;
    const int len = i2d_X509(x.get(), &der);
    cert.assign(der, der + len);
    OPENSSL_free(der);
    oesqx::ossl::MdCtxPtr md(EVP_MD_CTX_new());
    EVP_DigestSignInit(md.get(), nullptr, EVP_sha256(), nullptr, key.get());
    size_t sig_len = 256;
    sig.resize(sig_len);
    EVP_DigestSign(md.get(), sig.data(), &sig_len, data.data(), data.size());
  }
};

const RsaFixture& Rsa() {
  static const RsaFixture f;
  return f;
}

void Ours_Rsa2048Sha256Verify(benchmark::State& state) {
  const RsaFixture& f = Rsa();
  for (auto _ : state) {
    const int r = SSLVerifySignedData(f.cert.data(), static_cast<int>(f.cert.size()), f.data.data(),
                                      static_cast<unsigned>(f.data.size()), f.sig.data(),
                                      static_cast<unsigned>(f.sig.size()), 4);
    if (r != 1) state.SkipWithError("not verified");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
}

// The same verification from an already parsed key (OpenSSL's own rate).
void Peer_Rsa2048Sha256VerifyParsedKey(benchmark::State& state) {
  const RsaFixture& f = Rsa();
  const unsigned char* p = f.cert.data();
  oesqx::ossl::X509Ptr x(d2i_X509(nullptr, &p, static_cast<long>(f.cert.size())));
  EVP_PKEY* key = X509_get0_pubkey(x.get());
  for (auto _ : state) {
    oesqx::ossl::MdCtxPtr md(EVP_MD_CTX_new());
    EVP_DigestVerifyInit(md.get(), nullptr, EVP_sha256(), nullptr, key);
    const int r = EVP_DigestVerify(md.get(), f.sig.data(), f.sig.size(), f.data.data(), f.data.size());
    if (r != 1) state.SkipWithError("not verified");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
}

// From the DER certificate, as SSLVerifySignedData is called.
void Peer_Rsa2048Sha256Verify(benchmark::State& state) {
  const RsaFixture& f = Rsa();
  for (auto _ : state) {
    const unsigned char* p = f.cert.data();
    oesqx::ossl::X509Ptr x(d2i_X509(nullptr, &p, static_cast<long>(f.cert.size())));
    EVP_PKEY* key = X509_get0_pubkey(x.get());
    oesqx::ossl::MdCtxPtr md(EVP_MD_CTX_new());
    EVP_DigestVerifyInit(md.get(), nullptr, EVP_sha256(), nullptr, key);
    const int r = EVP_DigestVerify(md.get(), f.sig.data(), f.sig.size(), f.data.data(), f.data.size());
    if (r != 1) state.SkipWithError("not verified");
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(Ours_Sm2Verify);
BENCHMARK(Peer_Sm2Verify);
BENCHMARK(Ours_Rsa2048Sha256Verify);
BENCHMARK(Peer_Rsa2048Sha256Verify);
BENCHMARK(Ours_Rsa2048Sha256Verify)->Name("Ours_Rsa2048Sha256VerifyParsedKey");
BENCHMARK(Peer_Rsa2048Sha256VerifyParsedKey);

}  // namespace
