#include "processlocale.h"

#include <QLocale>
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
#ifdef Q_OS_WIN
    // Windows names the user's locale its own way ("Turkish_Turkey.1254");
    // the desktop's locale is what Qt reports as the system's.
    qInfo("user locale: C library %s, Qt %s", std::setlocale(LC_NUMERIC, nullptr),
          qPrintable(QLocale::system().name()));
    QCOMPARE(QLocale::system().name(), QString::fromLatin1(wanted.left(wanted.indexOf('.'))));
    QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
#else
    QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), wanted);
#endif
    // Turkish writes fractions with a comma: the trap this run is for.
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
}

QString turkishLocaleFolder() { return qEnvironmentVariable("ZENDALITE_TR_LOCPATH"); }

} // namespace testlocale
