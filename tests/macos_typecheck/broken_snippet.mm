// The type check's negative control. Case 0 is sound and must pass; every
// other case holds one fault the check exists to catch and must fail, the
// last three ones that only ARC forbids.
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
#elif VELMORA_BROKEN_CASE == 5
  // A reference count managed by hand, which ARC forbids.
  [item retain];
#elif VELMORA_BROKEN_CASE == 6
  // An object handed to C without saying who owns it.
  void* context = (void*)item;
  (void)context;
#endif
}

// A block kept by the object it calls back.
@interface VelmoraRepeater : NSObject
@property(copy) void (^onTick)(void);
- (void)tick;
@end

@implementation VelmoraRepeater
- (void)tick {
#if VELMORA_BROKEN_CASE == 7
  self.onTick = ^{
    [self tick];
  };
#else
  void* context = (__bridge void*)self;
  (void)context;
  __weak VelmoraRepeater* weakSelf = self;
  self.onTick = ^{
    [weakSelf tick];
  };
#endif
}
@end
