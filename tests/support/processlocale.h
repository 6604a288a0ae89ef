// The process locale the test runs under. CTest runs the tests that touch
// numbers twice: under C.UTF-8 and under a Turkish locale made at test time
// (LOCPATH), where the C library's decimal separator is the comma.
#pragma once

#include <QString>

namespace testlocale {

// Takes the locale from the environment, as the program does (Qt's
// application object does this too; tests without one need it). When
// ZENDALITE_TEST_LOCALE names a locale, fails the test unless the C library
// really runs under it, so a locale that did not load cannot pass unseen.
// Call from initTestCase().
void adoptEnvironmentLocale();

// Where the Turkish locale was made (ZENDALITE_TR_LOCPATH), empty when not.
QString turkishLocaleFolder();

} // namespace testlocale
