// Runs every test class of the simulated unit; fails when any of them fails.
#include "commandreadertest.h"
#include "enginemodeltest.h"
#include "faultshapertest.h"
#include "faulttest.h"
#include "framesourcetest.h"
#include "wirepacertest.h"
#ifdef ZENDALITE_SIM_BIN
#include "simprocesstest.h"
#endif

#include <QCoreApplication>
#include <QTest>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    EngineModelTest engine;
    CommandReaderTest reader;
    WirePacerTest pacer;
    FrameSourceTest sources;
    FaultTest faults;
    FaultShaperTest shaper;
    QList<QObject *> tests{&engine, &reader, &pacer, &sources, &faults, &shaper};
#ifdef ZENDALITE_SIM_BIN
    SimProcessTest program;
    tests.append(&program);
#endif
    int failures = 0;
    for (QObject *test : tests)
        failures += QTest::qExec(test, argc, argv);
    return failures == 0 ? 0 : 1;
}
