#include "DustletApp.h"
#include "platform/Bundle.h"
#include "platform/SingleInstance.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // One instance per user: a second start shows the running one's panel and ends here.
    const QString id = Bundle::identifier();
    SingleInstance instance(id.isEmpty() ? QStringLiteral("dustlet") : id);
    if (instance.acquire() == SingleInstance::Outcome::handedOver)
        return 0;

    DustletApp dustlet;
    QObject::connect(&instance, &SingleInstance::activated, &dustlet, &DustletApp::showPanel);
    dustlet.launch();
    return app.exec();
}
