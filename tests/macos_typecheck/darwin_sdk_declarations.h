// Declarations of the macOS SDK that GNUstep's headers and Linux's C library
// lack, each written from Apple's documented signature, so that the macOS
// backend can be type-checked on Linux. Only what the backend uses is here: a
// record holds only the fields it reads, so its layout is not the SDK's (the
// check compiles, never runs). Anything GNUstep or Linux already declares is
// left to them.
// Force-included before every checked file, all of them Objective-C++; empty
// stand-ins for <mach/mach.h> and <sys/sysctl.h> let those includes resolve.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <sys/types.h>

extern "C" {

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

// The record holds only the counts the backend reads.
struct vm_statistics64 {
  natural_t wire_count;
  natural_t compressor_page_count;
  natural_t internal_page_count;
};
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
// link-level entries, with only the byte counters the backend reads.
struct if_data {
  uint32_t ifi_ibytes;
  uint32_t ifi_obytes;
};
}

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

// The setter of the property "template", a keyword in Objective-C++.
@interface NSImage (VelmoraCurrentSDK)
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

// Declared by NS_OPTIONS, which in C++ makes it this type; the backend passes 0.
typedef NSUInteger NSDistributedNotificationOptions;

@interface NSDistributedNotificationCenter (VelmoraCurrentSDK)
- (void)postNotificationName:(NSString*)name
                      object:(NSString*)object
                    userInfo:(NSDictionary*)userInfo
                     options:(NSDistributedNotificationOptions)options;
@end

@interface NSUserDefaults (VelmoraCurrentSDK)
- (instancetype)initWithSuiteName:(NSString*)suitename;
@end
