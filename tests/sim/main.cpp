// Runs every test class of the simulated unit; fails when any of them fails.
#include "commandreadertest.h"
#include "enginemodeltest.h"
#include "framesourcetest.h"
#include "wirepacertest.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    EngineModelTest engine;
    CommandReaderTest reader;
    WirePacerTest pacer;
    FrameSourceTest sources;
    int failures = 0;
    for (QObject *test : {static_cast<QObject *>(&engine), static_cast<QObject *>(&reader),
                          static_cast<QObject *>(&pacer), static_cast<QObject *>(&sources)})
        failures += QTest::qExec(test, argc, argv);
    return failures == 0 ? 0 : 1;
}
