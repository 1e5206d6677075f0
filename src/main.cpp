#include "DustletApp.h"
#include "platform/Background.h"
#include "platform/Bundle.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    // One instance per user: a second start shows the running one's panel and ends here.
    const QString id = Bundle::identifier();
    SingleInstance instance(id.isEmpty() ? QStringLiteral("dustlet") : id);
    if (instance.acquire() == SingleInstance::Outcome::handedOver)
        return 0;

    int code = 0;
    {
        DustletApp dustlet;
        QObject::connect(&instance, &SingleInstance::activated, &dustlet, &DustletApp::showPanel);
        dustlet.launch();
        code = app.exec();
        instance.release();
    }
    // Settings and history are written as they change: nothing is left to save. A walk or a
    // command still running is not waited for beyond a moment; the process ends at once.
    if (!Background::waitForDone(100)) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
