// The foundation commands: provider information, digests, Base64 and the
// compressed text form of files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/base64.h"
#include "common/compress.h"
#include "common/malloc_ptr.h"
#include "crypto/digest.h"
#include "oes/oes_api.h"
#include "tools/oesqx/commands.h"

namespace oesqx::cli {
namespace {

std::string ToHex(const unsigned char* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}


}  // namespace

int RunInfo(int, char**) {
  unsigned char name[16], company[16], version[16], extend[16];
  int name_len = 0, company_len = 0, version_len = 0, extend_len = 0;
  OES_GetProviderInfo(name, &name_len, company, &company_len, version, &version_len, extend,
                      &extend_len);
  unsigned char sign_method[32], digest_method[32], when[32];
  int sign_len = sizeof(sign_method), digest_len = sizeof(digest_method), when_len = sizeof(when);
  OES_GetSignMethod(sign_method, &sign_len);
  OES_GetDigestMethod(digest_method, &digest_len);
  OES_GetSignDateTime(when, &when_len);
  std::printf("provider: %s\ncompany: %s\nversion: %s\nsign method: %s\ndigest method: %s\n"
              "sign time: %s\n",
              name, company, version, sign_method, digest_method, when);
  return 0;
}

int RunDigest(int argc, char** argv) {
  if (argc != 2) return Usage();
  std::vector<unsigned char> data;
  if (!ReadWholeFile(argv[1], &data)) return 1;
  unsigned char out[32];
  size_t size;
  const std::string algo = argv[0];
  if (algo == "sm3") {
    GenerateSM3(out, data.data(), static_cast<int>(data.size()));
    size = 32;
  } else if (algo == "sha1") {
    GenerateSHA(out, data.data(), static_cast<unsigned>(data.size()));
    size = 20;
  } else if (algo == "md5") {
    GenerateMD5(out, data.data(), static_cast<unsigned>(data.size()));
    size = 16;
  } else {
    return Usage();
  }
  std::printf("%s  %s\n", ToHex(out, size).c_str(), argv[1]);
  return 0;
}

int RunBase64(int argc, char** argv) {
  if (argc != 3) return Usage();
  std::vector<unsigned char> in;
  if (!ReadWholeFile(argv[1], &in)) return 1;
  CBase64Coder coder;
  const std::string mode = argv[0];
  if (mode == "encode") {
    coder.Encode(in.data(), static_cast<unsigned>(in.size()));
    return WriteWholeFile(argv[2], coder.EncodedMessage(), coder.EncodedMessageSize()) ? 0 : 1;
  }
  if (mode == "decode") {
    coder.Decode(in.data(), static_cast<unsigned>(in.size()));
    return WriteWholeFile(argv[2], coder.DecodedMessage(), coder.DecodedMessageSize()) ? 0 : 1;
  }
  return Usage();
}

int RunCtext(int argc, char** argv) {
  if (argc != 3) return Usage();
  std::vector<unsigned char> in;
  if (!ReadWholeFile(argv[1], &in)) return 1;
  const std::string mode = argv[0];
  if (mode == "encode") {
    char* text = nullptr;
    const int n = EncodeDataToStr(in.data(), static_cast<int>(in.size()), &text);
    const MallocOwned<char> owner(text);
    if (n <= 0) {
      std::fprintf(stderr, "oesqx: cannot encode %s\n", argv[1]);
      return 1;
    }
    return WriteWholeFile(argv[2], reinterpret_cast<unsigned char*>(owner.get()), static_cast<size_t>(n)) ? 0 : 1;
  }
  if (mode == "decode") {
    in.push_back(0);
    MallocOut out;
    const int n = DecodeStrToDataChar(reinterpret_cast<const char*>(in.data()), &out.p);
    if (n <= 0) {
      std::fprintf(stderr, "oesqx: %s is not compressed text\n", argv[1]);
      return 1;
    }
    return WriteWholeFile(argv[2], out.p, static_cast<size_t>(n)) ? 0 : 1;
  }
  return Usage();
}

}  // namespace oesqx::cli
