// Argument tracing shared by the OES calls: every call logs a start mark,
// each argument on a line of its own and an end or failure mark.
#ifndef OESQX_OES_TRACE_H
#define OESQX_OES_TRACE_H

#include "common/debuglog.h"

namespace oesqx::oes {

// An output pair: the buffer pointer, then the length it points at (only
// when the length pointer is non-null, so a null pointer is never read).
inline void TraceOut(const void* buffer, const int* length) {
  dbg::Ptr(buffer);
  if (length != nullptr) dbg::Int(*length);
}

// An input pair: the data pointer and its length.
inline void TraceIn(const void* data, int length) {
  dbg::Ptr(data);
  dbg::Int(length);
}

}  // namespace oesqx::oes

#endif
