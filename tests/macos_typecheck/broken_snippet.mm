// The type check's negative control. Case 0 is sound and must pass; every
// other case holds one fault the check exists to catch and must fail.
#import <AppKit/AppKit.h>

#include <mach/mach.h>

void useTheBackendsCalls() {
  NSStatusItem* item = [[NSStatusBar systemStatusBar] statusItemWithLength:-1];
  host_cpu_load_info_data_t info{};
  mach_msg_type_number_t count = HOST_CPU_LOAD_INFO_COUNT;
#if VELMORA_BROKEN_CASE == 0
  [item setVisible:YES];
  [[item button] setToolTip:@"tip"];
  host_statistics(mach_host_self(), HOST_CPU_LOAD_INFO, reinterpret_cast<host_info_t>(&info),
                  &count);
#elif VELMORA_BROKEN_CASE == 1
  // A selector no class declares.
  [item setVisibility:YES];
#elif VELMORA_BROKEN_CASE == 2
  // An object where AppKit takes a number.
  [item setLength:@"wide"];
#elif VELMORA_BROKEN_CASE == 3
  // A name the SDK does not have.
  [item setLength:NSVariableStatusItemWidth];
#elif VELMORA_BROKEN_CASE == 4
  // A Mach record passed without its cast to host_info_t.
  host_statistics(mach_host_self(), HOST_CPU_LOAD_INFO, &info, &count);
#endif
}
