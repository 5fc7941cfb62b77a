#include "crypto/builtin_keys.h"

namespace oesqx::builtin_keys {}  // namespace oesqx::builtin_keys
