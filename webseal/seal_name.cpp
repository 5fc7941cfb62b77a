// Names of web seal controls: a proposed name or "WSign" with a random
// number, made unique within the set.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_set>

#include "webseal/web_ctrl.h"

namespace oesqx::webseal {
namespace {

// Longest part of a proposed name that is kept, leaving room for a number.
constexpr size_t kMaxBase = 51;
// Random draws before counting upwards from 65536 instead. The generator is
// seeded with the time on every call, so names made within one second draw
// the same numbers again; and with every number taken drawing would never
// end.
constexpr int kMaxDraws = 1024;

using NameSet = std::unordered_set<std::string>;

// Rewrites `out` (64 bytes) as base + number until it is not in `taken`.
void MakeUnique(char* out, const char* base, const NameSet& taken) {
  int draws = 0;
  unsigned long counter = 65536;
  while (taken.count(out) != 0) {
    const unsigned long n =
        draws < kMaxDraws ? static_cast<unsigned long>(std::rand() % 65536) : counter++;
    ++draws;
    std::snprintf(out, 64, "%s%lu", base, n);
  }
}

}  // namespace
}  // namespace oesqx::webseal

extern "C" int GenerateSealName(WEB_OBJ* obj, const char* proposed, char* name, char* name2,
                                void* /*unused1*/, void* /*unused2*/, void* /*unused3*/) {
  using namespace oesqx::webseal;
  if (name == nullptr) return 0;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  char base[kMaxBase + 1];
  if (proposed != nullptr && proposed[0] != '\0') {
    const size_t n = strnlen(proposed, kMaxBase);
    std::memcpy(base, proposed, n);
    base[n] = '\0';
    std::memcpy(name, base, n + 1);
  } else {
    std::strcpy(base, "WSign");
    std::snprintf(name, 64, "WSign%d", std::rand() % 65536);
  }
  NameSet names, second_names;
  if (obj != nullptr) {
    for (POSITION pos = obj->m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
      const WEB_CTRL_INFO* c = obj->m_lstCtrl.GetNext(pos);
      names.insert(c->m_cName);
      second_names.insert(c->m_cName2);
    }
  }
  MakeUnique(name, base, names);
  if (name2 != nullptr) {
    std::memcpy(name2, name, std::strlen(name) + 1);
    const std::string first(name);
    MakeUnique(name2, first.c_str(), second_names);
  }
  return 0;
}
