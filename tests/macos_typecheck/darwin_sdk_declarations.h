// Declarations of the macOS SDK that GNUstep's headers and Linux's C library
// lack, each written from Apple's documented signature or record layout, so
// that the macOS backend can be type-checked on Linux. Only what the backend
// uses is here; anything GNUstep or Linux already declares is left to them.
// Force-included before every checked file; empty stand-ins for
// <mach/mach.h> and <sys/sysctl.h> let those includes resolve.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

// <mach/mach.h>: Mach types, host statistics, page size.
typedef unsigned int natural_t;
typedef int integer_t;
typedef int kern_return_t;
typedef natural_t mach_port_t;
typedef mach_port_t host_t;
typedef integer_t host_flavor_t;
typedef integer_t* host_info_t;
typedef integer_t* host_info64_t;
typedef natural_t mach_msg_type_number_t;
typedef uintptr_t vm_size_t;

#define KERN_SUCCESS 0
#define MACH_PORT_NULL ((mach_port_t)0)

#define HOST_CPU_LOAD_INFO 3
#define HOST_VM_INFO64 4

#define CPU_STATE_MAX 4
#define CPU_STATE_USER 0
#define CPU_STATE_SYSTEM 1
#define CPU_STATE_IDLE 2
#define CPU_STATE_NICE 3

struct host_cpu_load_info {
  natural_t cpu_ticks[CPU_STATE_MAX];
};
typedef struct host_cpu_load_info host_cpu_load_info_data_t;
#define HOST_CPU_LOAD_INFO_COUNT \
  ((mach_msg_type_number_t)(sizeof(host_cpu_load_info_data_t) / sizeof(integer_t)))

struct vm_statistics64 {
  natural_t free_count;
  natural_t active_count;
  natural_t inactive_count;
  natural_t wire_count;
  uint64_t zero_fill_count;
  uint64_t reactivations;
  uint64_t pageins;
  uint64_t pageouts;
  uint64_t faults;
  uint64_t cow_faults;
  uint64_t lookups;
  uint64_t hits;
  uint64_t purges;
  natural_t purgeable_count;
  natural_t speculative_count;
  uint64_t decompressions;
  uint64_t compressions;
  uint64_t swapins;
  uint64_t swapouts;
  natural_t compressor_page_count;
  natural_t throttled_count;
  natural_t external_page_count;
  natural_t internal_page_count;
  uint64_t total_uncompressed_pages_in_compressor;
} __attribute__((aligned(8)));
typedef struct vm_statistics64 vm_statistics64_data_t;
#define HOST_VM_INFO64_COUNT \
  ((mach_msg_type_number_t)(sizeof(vm_statistics64_data_t) / sizeof(integer_t)))

mach_port_t mach_host_self(void);
kern_return_t host_statistics(host_t host_priv, host_flavor_t flavor, host_info_t host_info_out,
                              mach_msg_type_number_t* host_info_outCnt);
kern_return_t host_statistics64(host_t host_priv, host_flavor_t flavor,
                                host_info64_t host_info64_out,
                                mach_msg_type_number_t* host_info64_outCnt);
kern_return_t host_page_size(host_t host, vm_size_t* out_page_size);

// <sys/sysctl.h>: the MIB and by-name calls, the routing-message list.
#define CTL_NET 4
#define NET_RT_IFLIST2 6
int sysctl(int* name, u_int namelen, void* oldp, size_t* oldlenp, void* newp, size_t newlen);
int sysctlbyname(const char* name, void* oldp, size_t* oldlenp, void* newp, size_t newlen);

// <sys/socket.h>: the link-level address family, which getifaddrs' entries
// that carry an if_data record have.
#define AF_LINK 18

// <net/if.h> (net/if_var.h): the 32-bit statistics record of getifaddrs'
// link-level entries, packed to 4 bytes as in the SDK.
struct timeval32 {
  int32_t tv_sec;
  int32_t tv_usec;
};
#pragma pack(4)
struct if_data {
  u_char ifi_type;
  u_char ifi_typelen;
  u_char ifi_physical;
  u_char ifi_addrlen;
  u_char ifi_hdrlen;
  u_char ifi_recvquota;
  u_char ifi_xmitquota;
  u_char ifi_unused1;
  uint32_t ifi_mtu;
  uint32_t ifi_metric;
  uint32_t ifi_baudrate;
  uint32_t ifi_ipackets;
  uint32_t ifi_ierrors;
  uint32_t ifi_opackets;
  uint32_t ifi_oerrors;
  uint32_t ifi_collisions;
  uint32_t ifi_ibytes;
  uint32_t ifi_obytes;
  uint32_t ifi_imcasts;
  uint32_t ifi_omcasts;
  uint32_t ifi_iqdrops;
  uint32_t ifi_noproto;
  uint32_t ifi_recvtiming;
  uint32_t ifi_xmittiming;
  struct timeval32 ifi_lastchange;
  uint32_t ifi_unused2;
  uint32_t ifi_hwassist;
  uint32_t ifi_reserved1;
  uint32_t ifi_reserved2;
};
#pragma pack()

#ifdef __cplusplus
}
#endif

#ifdef __OBJC__
#import <AppKit/AppKit.h>
#import <Foundation/Foundation.h>

// AppKit and Foundation of the current SDK, where GNUstep has nothing.

// The current name of GNUstep's NSCompositeSourceOver.
enum : NSCompositingOperation { NSCompositingOperationSourceOver = 2 };

@interface NSApplication (VelmoraCurrentSDK)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
@property(readonly, strong) NSAppearance* effectiveAppearance;
@end

// Cooperative activation, macOS 14.
@interface NSApplication (VelmoraMacOS14)
- (void)yieldActivationToApplication:(NSRunningApplication*)application
    __attribute__((availability(macos, introduced = 14.0)));
@end

@interface NSRunningApplication (VelmoraMacOS14)
- (BOOL)activateFromApplication:(NSRunningApplication*)application
                        options:(NSApplicationActivationOptions)options
    __attribute__((availability(macos, introduced = 14.0)));
@end

@interface NSAppearance (VelmoraCurrentSDK)
- (void)performAsCurrentDrawingAppearance:(void (^)(void))block;
@end

// The accessors of the property "template", a keyword in Objective-C++.
@interface NSImage (VelmoraCurrentSDK)
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@end

@interface NSFont (VelmoraCurrentSDK)
+ (NSFont*)systemFontOfSize:(CGFloat)fontSize weight:(NSFontWeight)weight;
+ (NSFont*)monospacedDigitSystemFontOfSize:(CGFloat)fontSize weight:(NSFontWeight)weight;
@end

@interface NSStatusItem (VelmoraCurrentSDK)
@property(readonly, strong) NSStatusBarButton* button;
@property(getter=isVisible) BOOL visible;
@end

typedef NS_OPTIONS(NSUInteger, NSDistributedNotificationOptions) {
  NSDistributedNotificationDeliverImmediately = (1UL << 0),
  NSDistributedNotificationPostToAllSessions = (1UL << 1),
};

@interface NSDistributedNotificationCenter (VelmoraCurrentSDK)
- (void)postNotificationName:(NSString*)name
                      object:(NSString*)object
                    userInfo:(NSDictionary*)userInfo
                     options:(NSDistributedNotificationOptions)options;
@end

@interface NSUserDefaults (VelmoraCurrentSDK)
- (instancetype)initWithSuiteName:(NSString*)suitename;
@end
#endif
