#include "processlocale.h"

#include <QTest>

#include <clocale>
#include <cstring>

namespace testlocale {

void adoptEnvironmentLocale()
{
    const char *taken = std::setlocale(LC_ALL, "");
    const QByteArray wanted = qgetenv("ZENDALITE_TEST_LOCALE");
    if (wanted.isEmpty())
        return;
    QVERIFY2(taken != nullptr, "the C library cannot load the locale of the environment");
    QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), wanted);
    // Turkish writes fractions with a comma: the trap this run is for.
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
}

QString turkishLocaleFolder() { return qEnvironmentVariable("ZENDALITE_TR_LOCPATH"); }

} // namespace testlocale
