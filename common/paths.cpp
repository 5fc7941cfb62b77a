#include "common/paths.h"

#include <cstdlib>
#include <mutex>

namespace oesqx::paths {
namespace {

std::string& Root() {
  static std::string root;
  static std::once_flag once;
  std::call_once(once, [] {
    const char* env = std::getenv("OESQX_PATH_ROOT");
    if (env != nullptr) {
      root = env;
      while (!root.empty() && root.back() == '/') root.pop_back();
    }
  });
  return root;
}

}  // namespace

std::string Resolve(const char* fixed) {
  const std::string& root = Root();
  if (root.empty()) return fixed;
  return root + fixed;
}

void SetRootForTest(const std::string& root) {
  std::string& current = Root();
  current = root;
  while (!current.empty() && current.back() == '/') current.pop_back();
}

}  // namespace oesqx::paths
