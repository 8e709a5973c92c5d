# The Linux services that need no session bus: drawing with cairo and Pango,
# the key-file defaults, the clock and the system readings.
add_library(platform_linux_system STATIC
  ${CMAKE_CURRENT_LIST_DIR}/background_gpu_utilization.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cairo_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/compact_pixmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_file_user_defaults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/key_file_user_defaults_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_dump_parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/linux_gpu_utilization.cpp
  ${CMAKE_CURRENT_LIST_DIR}/netlink_interface_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nvml_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pango_graphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/proc_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/proc_meminfo_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/proc_stat_cpu_ticks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sysfs_gpu_busy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/title_pixmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_backdrop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_presentation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_file.cpp
)
# The GPU reading's helper thread.
find_package(Threads REQUIRED)
target_link_libraries(platform_linux_system
  PUBLIC platform_seam PkgConfig::LINUX_DESKTOP Threads::Threads
  PRIVATE ${CMAKE_DL_LIBS})
