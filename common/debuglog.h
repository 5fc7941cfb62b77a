// The process debug log: one plain-text trace file per process, always on.
//
// Each writer refreshes the clock, makes sure a file is open (createdbgfile)
// and, if one is, writes a single line and flushes it so the trace survives a
// crash of the host. Logging never fails an operation: when no file can be
// created nothing is written.
#ifndef OESQX_COMMON_DEBUGLOG_H
#define OESQX_COMMON_DEBUGLOG_H

#include <ctime>
#include <string>

// Refreshes the log clock and opens, switches or retires log files.
extern "C" void createdbgfile();

namespace oesqx::dbg {

// "HHMMSS  str=<text>\r\n"; a null text writes nothing.
void Str(const char* text);
// "<value>\r\n" without time: an argument, a length or a result code.
void Int(long long value);
// A pointer argument as a decimal number, in the form of Int.
void Ptr(const void* pointer);
// "HHMMSS  <label><value>\r\n".
void LabelInt(const char* label, long long value);
// "HHMMSS  data=<len>" then the raw bytes, with no line end.
void Data(const void* data, int len);

// Test hooks: a replacement for time(), the paths in use, and a full reset
// (closes both files, forgets them, zeroes every time stamp).
using ClockFn = std::time_t (*)();
void SetClockForTest(ClockFn clock);
std::string CurrentFileForTest();
std::string PreviousFileForTest();
void ResetForTest();

}  // namespace oesqx::dbg

#endif
