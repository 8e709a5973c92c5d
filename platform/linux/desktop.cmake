# The application, run loop, tray items, menus and notifications over D-Bus,
# and the platform object that puts every service together.
add_library(platform_linux STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dbus_notification_center.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dbus_strings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dbusmenu_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dbusmenu_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glib_run_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glib_timer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux_running_applications.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notification_wire.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_dbus_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_item_properties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_property_pipeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_status_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_status_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sni_watcher_registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/variant_bytes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11_window_activation.cpp
  # The tray-host adaptation (see tray_adaptation.h); its pictures and host
  # table are in platform_linux_system.
  ${CMAKE_CURRENT_LIST_DIR}/tray_adaptation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_host_watch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_shape_file.cpp
)
target_link_libraries(platform_linux
  PUBLIC platform_seam platform_linux_system platform_posix
         PkgConfig::LINUX_DESKTOP PkgConfig::DBUSMENU)
if(XCB_FOUND)
  target_link_libraries(platform_linux PRIVATE PkgConfig::XCB)
  target_compile_definitions(platform_linux PRIVATE VELMORA_HAVE_XCB=1)
endif()
