#pragma once

#include <glib.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/fuzz_rule.h"

namespace fuzz {

struct VariantDeleter {
  void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using Variant = std::unique_ptr<GVariant, VariantDeleter>;

// Any value a bus peer can send, built from the fuzz bytes: a first byte that
// picks one of the common types by its index, or, past them, a type string
// that follows up to a NUL; then the serialised value, read as untrusted
// data, which must outlive the value. None for an empty input or a type that
// is no definite GVariant type.
inline Variant variantOf(const std::uint8_t* data, std::size_t size,
                         std::initializer_list<const char*> commonTypes) {
  if (size == 0) return nullptr;
  std::string_view rest = textOf(data + 1, size - 1);
  std::string type;
  if (data[0] < commonTypes.size()) {
    type = commonTypes.begin()[data[0]];
  } else {
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return nullptr;
    type = std::string{rest.substr(0, end)};
    rest.remove_prefix(end + 1);
    if (!g_variant_type_string_is_valid(type.c_str()) ||
        !g_variant_type_is_definite(G_VARIANT_TYPE(type.c_str()))) {
      return nullptr;
    }
  }
  // GLib copies the bytes when they are not aligned for the type.
  return Variant{g_variant_ref_sink(g_variant_new_from_data(
      G_VARIANT_TYPE(type.c_str()), rest.data(), rest.size(), FALSE, nullptr, nullptr))};
}

}  // namespace fuzz
