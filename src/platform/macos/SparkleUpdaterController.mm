// The update framework's standard controller, loaded from the application bundle when present.
#import <Foundation/Foundation.h>

#include "platform/UpdaterController.h"

#include <memory>

@protocol DustletStandardUpdaterController
- (instancetype)initWithStartingUpdater:(BOOL)startUpdater
                        updaterDelegate:(id)updaterDelegate
                     userDriverDelegate:(id)userDriverDelegate;
- (id)updater;
- (void)checkForUpdates:(id)sender;
@end

@interface DustletUpdaterObserver : NSObject {
@public
    UpdaterController* owner;
}
@end

@implementation DustletUpdaterObserver
- (void)observeValueForKeyPath:(NSString*)keyPath
                      ofObject:(id)object
                        change:(NSDictionary*)change
                       context:(void*)context
{
    (void)keyPath;
    (void)change;
    (void)context;
    if (owner)
        Q_EMIT owner->canCheckForUpdatesChanged([[object valueForKey:@"canCheckForUpdates"] boolValue]);
}
@end

namespace {

class SparkleController final : public UpdaterController {
public:
    explicit SparkleController(id<DustletStandardUpdaterController> controller)
        : m_controller(controller), m_updater([controller updater]), m_observer([[DustletUpdaterObserver alloc] init])
    {
        m_observer->owner = this;
        [m_updater addObserver:m_observer
                    forKeyPath:@"canCheckForUpdates"
                       options:NSKeyValueObservingOptionInitial | NSKeyValueObservingOptionNew
                       context:nil];
    }

    ~SparkleController() override
    {
        m_observer->owner = nullptr;
        [m_updater removeObserver:m_observer forKeyPath:@"canCheckForUpdates"];
    }

    bool canCheckForUpdates() const override { return [[m_updater valueForKey:@"canCheckForUpdates"] boolValue]; }
    void checkForUpdates() override { [m_controller checkForUpdates:nil]; }
    bool automaticallyChecksForUpdates() const override
    {
        return [[m_updater valueForKey:@"automaticallyChecksForUpdates"] boolValue];
    }
    void setAutomaticallyChecksForUpdates(bool value) override
    {
        [m_updater setValue:@(value) forKey:@"automaticallyChecksForUpdates"];
    }

private:
    id<DustletStandardUpdaterController> m_controller;
    id m_updater;
    DustletUpdaterObserver* m_observer;
};

} // namespace

std::unique_ptr<UpdaterController> makeFrameworkUpdaterController()
{
    NSString* path = [[NSBundle mainBundle].privateFrameworksPath stringByAppendingPathComponent:@"Sparkle.framework"];
    NSBundle* framework = [NSBundle bundleWithPath:path];
    if (!framework || ![framework load])
        return nullptr;
    Class cls = NSClassFromString(@"SPUStandardUpdaterController");
    if (!cls)
        return nullptr;
    id<DustletStandardUpdaterController> controller =
        [(id<DustletStandardUpdaterController>)[cls alloc] initWithStartingUpdater:YES
                                                                   updaterDelegate:nil
                                                                userDriverDelegate:nil];
    if (!controller)
        return nullptr;
    return std::make_unique<SparkleController>(controller);
}
