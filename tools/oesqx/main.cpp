// oesqx: command-line front end of the component.
#include <cstdio>
#include <cstring>

#include "tools/oesqx/commands.h"

int main(int argc, char** argv) {
  if (argc < 2) return oesqx::cli::Usage();
  const char* command = argv[1];
  for (const oesqx::cli::Command& c : oesqx::cli::Commands()) {
    if (std::strcmp(c.name, command) == 0) return c.run(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "oesqx: unknown command '%s'\n", command);
  return oesqx::cli::Usage();
}
