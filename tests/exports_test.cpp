// The dynamic symbol table of liboesqx.so holds exactly the names listed in
// the *.exports files: nothing owed is missing, nothing internal leaks.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

std::set<std::string> ListedNames() {
  std::set<std::string> names;
  std::ifstream in(OESQX_EXPORT_LIST);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) names.insert(line);
  }
  return names;
}

std::set<std::string> DefinedDynamicSymbols() {
  std::set<std::string> names;
  const std::string cmd = std::string("nm -D --defined-only ") + OESQX_LIBRARY_FILE;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return names;
  char line[1024];
  while (std::fgets(line, sizeof(line), p) != nullptr) {
    char addr[64], type[8], name[900];
    if (std::sscanf(line, "%63s %7s %899s", addr, type, name) == 3) {
      std::string n(name);
      const size_t at = n.find('@');
      if (at != std::string::npos) n.resize(at);
      names.insert(n);
    }
  }
  ::pclose(p);
  return names;
}

TEST(Exports, SymbolTableMatchesTheLists) {
  const std::set<std::string> listed = ListedNames();
  const std::set<std::string> actual = DefinedDynamicSymbols();
  ASSERT_FALSE(listed.empty());
  for (const std::string& name : listed) EXPECT_TRUE(actual.count(name)) << "not exported: " << name;
  for (const std::string& name : actual) EXPECT_TRUE(listed.count(name)) << "leaked: " << name;
}

TEST(Exports, LibraryLoadsAndResolvesThroughDlopen) {
  void* lib = ::dlopen(OESQX_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, lib) << ::dlerror();
  for (const char* name : {"OES_GetProviderInfo", "OES_Digest", "g_cSealServAddr", "GenerateSM3"})
    EXPECT_NE(nullptr, ::dlsym(lib, name)) << name;
  using InfoFn = int (*)(unsigned char*, int*, unsigned char*, int*, unsigned char*, int*,
                         unsigned char*, int*);
  auto info = reinterpret_cast<InfoFn>(::dlsym(lib, "OES_GetProviderInfo"));
  ASSERT_NE(nullptr, info);
  unsigned char name[8];
  int len = 0;
  EXPECT_EQ(0, info(name, &len, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STREQ("QX", reinterpret_cast<char*>(name));
  ::dlclose(lib);
}

}  // namespace
