// The message texts of the OES result codes.
#ifndef OESQX_OES_ERRORS_H
#define OESQX_OES_ERRORS_H

#include <string>

namespace oesqx::oes {

// The fixed text of `code`, or "Err=<code>" (signed decimal) for codes
// without one.
std::string ErrorText(unsigned long code);

}  // namespace oesqx::oes

#endif
