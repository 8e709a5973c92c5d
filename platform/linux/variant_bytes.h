#pragma once

#include <glib.h>

namespace platform::linuxdesktop {

// Whether two values hold the same bytes of the same type. g_variant_equal
// compares containers by printing both as text, which for two icon pixmaps
// costs tens of milliseconds. Equal bytes of one type are always equal
// values; the reverse fails only for values not in normal form, which then
// count as different. Nulls are the same only as each other.
bool sameBytes(GVariant* a, GVariant* b);

}  // namespace platform::linuxdesktop
