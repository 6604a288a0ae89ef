// Qt's own dialogs speak Turkish as the rest of the tool: the catalogue the
// program loads at start turns their standard buttons and labels Turkish,
// whatever language the desktop has (this test runs under C.UTF-8 and under
// tr_TR.UTF-8).
#include "shell/qtturkish.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

namespace {

// The texts as a person reads them: without the shortcut marks.
QString shown(QString text) { return text.remove(QLatin1Char('&')); }

QStringList buttonTexts(const QWidget &w)
{
    QStringList texts;
    for (const auto *b : w.findChildren<QAbstractButton *>())
        texts.append(shown(b->text()));
    return texts;
}

} // namespace

class QtTurkishTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cataloguePathIsTheFirstFolderThatHasIt();
    void standardButtonsReadTurkish_data();
    void standardButtonsReadTurkish();
    void fileDialogReadsTurkish();
    void messageBoxReadsTurkish();

private:
    QTranslator m_translator;
    QString m_loaded;
};

void QtTurkishTest::initTestCase()
{
    // As the program does at start.
    m_loaded = qtturkish::install(*qApp, m_translator);
    QVERIFY2(!m_loaded.isEmpty(), "qtbase_tr.qm not found (Debian: qt6-translations-l10n)");
}

void QtTurkishTest::cataloguePathIsTheFirstFolderThatHasIt()
{
    const QStringList folders = qtturkish::folders();
    QCOMPARE(folders.size(), 3);
    QCOMPARE(folders.at(0),
             QCoreApplication::applicationDirPath() + QStringLiteral("/translations"));
    QCOMPARE(folders.at(1), QCoreApplication::applicationDirPath());
    QCOMPARE(m_loaded, qtturkish::cataloguePath());
    QVERIFY(m_loaded.endsWith(QStringLiteral("/qtbase_tr.qm")));
}

void QtTurkishTest::standardButtonsReadTurkish_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("İptal");
    QTest::newRow("OK") << int(QDialogButtonBox::Ok) << QStringLiteral("Tamam");
    QTest::newRow("Save") << int(QDialogButtonBox::Save) << QStringLiteral("Kaydet");
    QTest::newRow("Open") << int(QDialogButtonBox::Open) << QStringLiteral("Aç");
}

void QtTurkishTest::standardButtonsReadTurkish()
{
    QFETCH(int, button);
    QFETCH(QString, text);
    const auto standard = static_cast<QDialogButtonBox::StandardButton>(button);
    QDialogButtonBox box{standard};
    QCOMPARE(shown(box.button(standard)->text()), text);
}

void QtTurkishTest::fileDialogReadsTurkish()
{
    // Qt's own file dialog, as the tool's save and open dialogs are on a
    // desktop without a dialog of its own (and under Xvfb).
    QFileDialog dialog(nullptr, QStringLiteral("Ayarları Kaydet"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList buttons = buttonTexts(dialog);
    QVERIFY2(buttons.contains(QStringLiteral("İptal")), qPrintable(buttons.join(", ")));
    QVERIFY2(buttons.contains(QStringLiteral("Kaydet")), qPrintable(buttons.join(", ")));
    QVERIFY2(!buttons.contains(QStringLiteral("Cancel")), qPrintable(buttons.join(", ")));
    QStringList labels;
    for (const auto *l : dialog.findChildren<QLabel *>())
        labels.append(shown(l->text()));
    QVERIFY2(labels.contains(QStringLiteral("Dosya adı:")), qPrintable(labels.join(", ")));
}

void QtTurkishTest::messageBoxReadsTurkish()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zendalite"), QStringLiteral("?"),
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(shown(box.button(QMessageBox::Cancel)->text()), QStringLiteral("İptal"));
    QCOMPARE(shown(box.button(QMessageBox::Ok)->text()), QStringLiteral("Tamam"));
}

QTEST_MAIN(QtTurkishTest)
#include "tst_qtturkish.moc"
