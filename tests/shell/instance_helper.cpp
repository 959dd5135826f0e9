// A stand-in program for the single-instance test: it starts the way Morvane
// does and says on its output what happened.
#include "SingleInstance.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString name = app.arguments().value(1, "morvane-test");
    morvane::SingleInstance instance(name);
    switch (instance.start(5000)) {
    case morvane::SingleInstance::Start::HandedOver:
        std::puts("handed over");
        return 0;
    case morvane::SingleInstance::Start::TimedOut:
        std::puts("timed out");
        return 2;
    case morvane::SingleInstance::Start::First:
        break;
    }
    instance.releaseStartLock();
    QObject::connect(&instance, &morvane::SingleInstance::activateRequested, &app, [] {
        std::puts("activated");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    std::puts("first");
    std::fflush(stdout);
    return app.exec();
}
