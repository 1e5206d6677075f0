#import <AppKit/AppKit.h>

#include "platform/macos/StatusItemMac.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

@interface DustletStatusTarget : NSObject {
@public
    std::function<void()> onClick;
    std::function<void()> onRightClick;
}
- (void)clicked:(id)sender;
@end

@implementation DustletStatusTarget
- (void)clicked:(id)sender
{
    (void)sender;
    NSEvent* event = NSApp.currentEvent;
    const bool right = event.type == NSEventTypeRightMouseUp
        || (event.type == NSEventTypeLeftMouseUp && (event.modifierFlags & NSEventModifierFlagControl));
    if (right) {
        if (onRightClick)
            onRightClick();
    } else if (onClick) {
        onClick();
    }
}
@end

StatusItemMac::StatusItemMac(std::function<void()> onClick, std::function<void()> onRightClick)
{
    DustletStatusTarget* target = [[DustletStatusTarget alloc] init];
    target->onClick = std::move(onClick);
    target->onRightClick = std::move(onRightClick);
    m_target = (__bridge_retained void*)target;
}

StatusItemMac::~StatusItemMac()
{
    if (m_item) {
        NSStatusItem* item = (__bridge_transfer NSStatusItem*)m_item;
        [[NSStatusBar systemStatusBar] removeStatusItem:item];
    }
    if (m_target)
        (void)(__bridge_transfer DustletStatusTarget*)m_target;
}

void StatusItemMac::show()
{
    if (m_item)
        return;
    NSStatusItem* item = [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
    item.button.target = (__bridge DustletStatusTarget*)m_target;
    item.button.action = @selector(clicked:);
    [item.button sendActionOn:NSEventMaskLeftMouseUp | NSEventMaskRightMouseUp];
    item.button.imagePosition = NSImageLeft;
    m_item = (__bridge_retained void*)item;
}

void StatusItemMac::update(const QIcon& icon, const QString& title, const QString& toolTip)
{
    if (!m_item)
        return;
    NSStatusItem* item = (__bridge NSStatusItem*)m_item;
    const QImage image = icon.pixmap(QSize(16, 16), 2.0).toImage();
    if (!image.isNull()) {
        CGImageRef cg = image.toCGImage();
        NSImage* ns = [[NSImage alloc] initWithCGImage:cg size:NSMakeSize(16, 16)];
        CGImageRelease(cg);
        [ns setTemplate:YES];
        item.button.image = ns;
    }
    item.button.title = title.toNSString();
    item.button.toolTip = toolTip.toNSString();
}

std::optional<QRect> StatusItemMac::frame() const
{
    if (!m_item)
        return std::nullopt;
    NSStatusItem* item = (__bridge NSStatusItem*)m_item;
    NSWindow* window = item.button.window;
    if (!window || !window.visible)
        return std::nullopt;
    const NSRect f = window.frame;
    // Cocoa counts y from the bottom of the main screen; Qt from the top.
    const CGFloat screenHeight = NSScreen.screens.firstObject.frame.size.height;
    return QRect(int(f.origin.x), int(screenHeight - f.origin.y - f.size.height), int(f.size.width),
                 int(f.size.height));
}
