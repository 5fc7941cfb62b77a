// Every key and key rule built into the library, in one module: the keys
// that protect stored containers, legacy seal files, web seal data and the
// compressed text form. Data written with them is readable only by code
// that uses the same values.
#ifndef OESQX_CRYPTO_BUILTIN_KEYS_H
#define OESQX_CRYPTO_BUILTIN_KEYS_H

#include <cstdint>

namespace oesqx::builtin_keys {

// Each subsystem adds its keys here, with a comment on what they protect.

}  // namespace oesqx::builtin_keys

#endif
