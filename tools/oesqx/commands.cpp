#include "tools/oesqx/commands.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace oesqx::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"info", "info                          provider information", RunInfo},
      {"digest", "digest sm3|sha1|md5 FILE      digest of a file, in hex", RunDigest},
      {"base64", "base64 encode|decode IN OUT   Base64 of a file, or back", RunBase64},
      {"ctext", "ctext encode|decode IN OUT    compressed text of a file, or back", RunCtext},
      {"demo", "demo                          the built-in walk-through (no key, no server)", RunDemo},
      {"dialog", "dialog demo                   shows each dialog once (GTK, and Qt when installed)", RunDialog},
      {"cert", "cert show|verify CERT ...     certificate fields; validity, root, CRL, stores", RunCert},
      {"seal", "seal make|show|render|sample  seal files: make, list, render as GIF", RunSeal},
      {"webseal", "webseal show DATA [OPTS]      web seal data: list controls, check a form, render as GIF", RunWebSeal},
  };
  return commands;
}

int Usage() {
  std::fprintf(stderr, "usage: oesqx COMMAND [ARGS]\n");
  for (const Command& c : Commands()) std::fprintf(stderr, "  oesqx %s\n", c.synopsis);
  return 2;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "oesqx: cannot read %s\n", path.c_str());
    return false;
  }
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteWholeFile(const std::string& path, const unsigned char* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) {
    std::fprintf(stderr, "oesqx: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace oesqx::cli
