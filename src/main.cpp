#include "AppModel.h"
#include "DustletApp.h"
#include "platform/Background.h"
#include "platform/Bundle.h"
#include "platform/DisplayCheck.h"
#include "platform/SingleInstance.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (const std::optional<QString> missing = DisplayCheck::missingDisplayMessage()) {
        std::fprintf(stderr, "%s\n", qPrintable(*missing));
        return 1;
    }
    QApplication app(argc, argv);

    // One instance per settings store, decided before anything of them is read: a second start
    // shows the running one's panel and ends here; one whose running instance does not answer
    // ends as well, rather than run beside it.
    const QString id = Bundle::identifier();
    QDir().mkpath(UserDefaults::standardFolder());
    SingleInstance instance(id.isEmpty() ? QStringLiteral("dustlet") : id, QString(),
                            UserDefaults::standardFolder() + QStringLiteral("/instance.lock"));
    switch (instance.acquire()) {
    case SingleInstance::Outcome::handedOver: return 0;
    case SingleInstance::Outcome::notAnswering:
        std::fprintf(stderr, "Dustlet is already running (pid %lld) but not answering\n",
                     static_cast<long long>(instance.holderPid()));
        return 1;
    case SingleInstance::Outcome::primary:
    case SingleInstance::Outcome::failed: break;
    }

    int code = 0;
    {
        DustletApp dustlet;
        QObject::connect(&instance, &SingleInstance::activated, &dustlet, &DustletApp::showPanel);
        dustlet.launch();
        code = app.exec();
        // A clearing that runs stops at its next entry and its record is saved first.
        dustlet.model().finishClearings(std::chrono::seconds(1));
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
