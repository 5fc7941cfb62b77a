// Owners of malloc'd buffers, the kind the exported functions hand out and
// the kind their callers free with free().
#ifndef OESQX_COMMON_MALLOC_PTR_H
#define OESQX_COMMON_MALLOC_PTR_H

#include <cstdlib>
#include <memory>

namespace oesqx {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

template <typename T>
using MallocOwned = std::unique_ptr<T, FreeDeleter>;
using MallocPtr = MallocOwned<unsigned char>;

// Receives a malloc'd result through an out parameter (`&out.p`) and frees
// it when it goes out of scope.
struct MallocOut {
  unsigned char* p = nullptr;
  MallocOut() = default;
  MallocOut(const MallocOut&) = delete;
  MallocOut& operator=(const MallocOut&) = delete;
  ~MallocOut() { std::free(p); }
};

}  // namespace oesqx

#endif
