#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::linuxdesktop {

// The busiest card's `cardN/device/gpu_busy_percent` under a DRM class folder
// (normally /sys/class/drm); connector entries such as card0-DP-1 are not
// cards. amdgpu and xe publish the file. A file holding anything but a
// decimal number from 0 up is skipped; a value above 100, however long, reads
// as 100 (platform::utilizationPercent). A card whose device is
// runtime-suspended (power/runtime_status) reads as 0 without its file being
// read, since reading it would wake the device. None when no card has a
// usable file.
std::optional<std::int64_t> readSysfsGpuBusy(const std::string& drmRoot);

// Whether a card under the folder has a readable gpu_busy_percent file, found
// without reading any: reading one calls the card's driver.
bool anyCardPublishesGpuBusy(const std::string& drmRoot);

}  // namespace platform::linuxdesktop
