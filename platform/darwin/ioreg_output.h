#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::darwin {

// The entry of the I/O Registry tool's output that carries the accelerator's
// utilisation; the number follows the equals sign directly.
inline constexpr std::string_view kDeviceUtilizationKey = "\"Device Utilization %\"=";

// The utilisation in percent (platform::utilizationPercent) that follows the first occurrence of
// the key in the tool's raw output. The number is the run of number
// characters right after the key, taken whole user-perceived character by
// character, so a digit carrying a combining mark belongs to the run.
// None when the output is not valid UTF-8, holds no key, the run is empty,
// holds anything but the ASCII digits 0-9, or exceeds the signed 64-bit range.
std::optional<std::int64_t> deviceUtilizationFromIoregOutput(std::string_view outputBytes);

}  // namespace platform::darwin
