// The oesqx subcommands. Each returns the process exit code: 0 on success,
// 1 on a failure of the operation, 2 on a usage error.
#ifndef OESQX_TOOLS_OESQX_COMMANDS_H
#define OESQX_TOOLS_OESQX_COMMANDS_H

#include <string>
#include <vector>

namespace oesqx::cli {

struct Command {
  const char* name;
  const char* synopsis;
  int (*run)(int argc, char** argv);
};

const std::vector<Command>& Commands();
int Usage();

// File helpers shared by the commands; errors are reported on stderr.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* out);
bool WriteWholeFile(const std::string& path, const unsigned char* data, size_t size);

int RunInfo(int argc, char** argv);
int RunDigest(int argc, char** argv);
int RunBase64(int argc, char** argv);
int RunCtext(int argc, char** argv);
int RunDemo(int argc, char** argv);
int RunDialog(int argc, char** argv);
int RunSeal(int argc, char** argv);
int RunWebSeal(int argc, char** argv);
int RunCert(int argc, char** argv);
// "seal make --standard": the arguments after "make".
int RunSealMakeStandard(int argc, char** argv);
// Reads a certificate file, DER or PEM, as DER.
bool ReadCertificate(const std::string& path, std::vector<unsigned char>* der);

}  // namespace oesqx::cli

#endif
