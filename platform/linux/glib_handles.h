#pragma once

// Move-only owners for the C handles of GLib, GIO, cairo and Pango. Each alias
// frees its object exactly once; a null pointer is never passed to the free
// function.

#include <memory>

#include <cairo.h>
#include <gio/gio.h>
#include <glib-object.h>
#include <glib.h>
#include <pango/pango.h>

namespace platform::linuxdesktop {

template <auto Free>
struct Deleter {
  template <class T>
  void operator()(T* p) const {
    if (p) Free(p);
  }
};

using ErrorPtr = std::unique_ptr<GError, Deleter<g_error_free>>;
using VariantPtr = std::unique_ptr<GVariant, Deleter<g_variant_unref>>;
using VariantTypePtr = std::unique_ptr<GVariantType, Deleter<g_variant_type_free>>;
using VariantIterPtr = std::unique_ptr<GVariantIter, Deleter<g_variant_iter_free>>;
template <class T>
using GObjectPtr = std::unique_ptr<T, Deleter<g_object_unref>>;
using GCharPtr = std::unique_ptr<gchar, Deleter<g_free>>;
using StrvPtr = std::unique_ptr<gchar*, Deleter<g_strfreev>>;
using BytesPtr = std::unique_ptr<GBytes, Deleter<g_bytes_unref>>;
using KeyFilePtr = std::unique_ptr<GKeyFile, Deleter<g_key_file_unref>>;
using MainLoopPtr = std::unique_ptr<GMainLoop, Deleter<g_main_loop_unref>>;
using MainContextPtr = std::unique_ptr<GMainContext, Deleter<g_main_context_unref>>;
using SourcePtr = std::unique_ptr<GSource, Deleter<g_source_unref>>;
using HashTablePtr = std::unique_ptr<GHashTable, Deleter<g_hash_table_unref>>;
using DBusNodeInfoPtr = std::unique_ptr<GDBusNodeInfo, Deleter<g_dbus_node_info_unref>>;

using CairoPtr = std::unique_ptr<cairo_t, Deleter<cairo_destroy>>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_destroy>>;
using CairoFontOptionsPtr =
    std::unique_ptr<cairo_font_options_t, Deleter<cairo_font_options_destroy>>;
using CairoScaledFontPtr = std::unique_ptr<cairo_scaled_font_t, Deleter<cairo_scaled_font_destroy>>;
using PangoLayoutPtr = GObjectPtr<PangoLayout>;
using PangoLayoutIterPtr = std::unique_ptr<PangoLayoutIter, Deleter<pango_layout_iter_free>>;
using PangoFontDescriptionPtr =
    std::unique_ptr<PangoFontDescription, Deleter<pango_font_description_free>>;
using PangoAttrListPtr = std::unique_ptr<PangoAttrList, Deleter<pango_attr_list_unref>>;

}  // namespace platform::linuxdesktop
