#include "DustletApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    DustletApp dustlet;
    dustlet.launch();
    return app.exec();
}
