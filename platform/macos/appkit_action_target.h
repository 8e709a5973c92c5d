#pragma once

#import <Foundation/Foundation.h>

#include <functional>

// The target of a button or menu item: its action runs the callback. AppKit
// holds targets weakly, so whoever sets one keeps it alive.
@interface VelmoraActionTarget : NSObject
- (instancetype)initWithCallback:(std::function<void()>)callback;
- (void)performAction:(id)sender;
@end
