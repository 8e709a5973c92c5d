#include "platform/linux/variant_bytes.h"

#include <cstring>

namespace platform::linuxdesktop {

bool sameBytes(GVariant* a, GVariant* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const gsize size = g_variant_get_size(a);
  return g_variant_type_equal(g_variant_get_type(a), g_variant_get_type(b)) &&
         size == g_variant_get_size(b) &&
         (size == 0 || std::memcmp(g_variant_get_data(a), g_variant_get_data(b), size) == 0);
}

}  // namespace platform::linuxdesktop
