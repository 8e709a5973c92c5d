#include "platform/macos/appkit_action_target.h"

#include <utility>

@implementation VelmoraActionTarget {
  std::function<void()> _callback;
}

- (instancetype)initWithCallback:(std::function<void()>)callback {
  self = [super init];
  if (self != nil) _callback = std::move(callback);
  return self;
}

- (void)performAction:(id)sender {
  (void)sender;
  if (_callback) _callback();
}

@end
