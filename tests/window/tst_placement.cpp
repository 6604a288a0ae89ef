// New windows open beside the main window and on its screen: the rule as a
// pure function, and the tool's windows and dialogs placed by it.
#include "shell/helpcontrol.h"
#include "shell/recordingactions.h"
#include "support/shellfixture.h"
#include "telemetry/graphwindow.h"
#include "ui/mainwindow.h"
#include "ui/windowplacement.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void windowGoesBesideTheMainWindowAndOnScreen_data();
    void windowGoesBesideTheMainWindowAndOnScreen();
    void graphAndHelpOpenBesideTheMainWindow();
    void vehicleDialogHasRoomForItsTitleAndOpensOnScreen();
};

void PlacementTest::windowGoesBesideTheMainWindowAndOnScreen_data()
{
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QRect fullHd(0, 0, 1920, 1040);         // a task bar of 40 below
    const QRect laptop(0, 0, 1366, 728);          // 1366 x 768, task bar of 40
    const QRect netbook(0, 0, 1024, 560);         // 1024 x 600, task bar of 40
    const QRect leftScreen(-1920, 0, 1920, 1080); // a second screen left of the first
    QTest::newRow("room on the right")
        << QRect(100, 100, 806, 629) << QSize(600, 400) << fullHd << QRect(914, 100, 600, 400);
    QTest::newRow("main window at the right edge")
        << QRect(1114, 100, 806, 629) << QSize(600, 400) << fullHd << QRect(506, 100, 600, 400);
    QTest::newRow("main window at the left edge, room on neither side")
        << QRect(0, 50, 806, 629) << QSize(700, 500) << laptop << QRect(666, 50, 700, 500);
    QTest::newRow("main window at the right edge, room on neither side")
        << QRect(560, 50, 806, 629) << QSize(700, 500) << laptop << QRect(0, 50, 700, 500);
    QTest::newRow("main window low: moved up onto the screen")
        << QRect(100, 900, 806, 629) << QSize(600, 400) << fullHd << QRect(914, 640, 600, 400);
    QTest::newRow("main window partly above the screen")
        << QRect(100, -200, 806, 629) << QSize(600, 400) << fullHd << QRect(914, 0, 600, 400);
    QTest::newRow("small screen: shrunk to it")
        << QRect(0, 0, 806, 629) << QSize(1280, 800) << netbook << QRect(0, 0, 1024, 560);
    QTest::newRow("a screen at negative x") << QRect(-1800, 100, 806, 629) << QSize(600, 400)
                                            << leftScreen << QRect(-986, 100, 600, 400);
}

void PlacementTest::windowGoesBesideTheMainWindowAndOnScreen()
{
    QFETCH(QRect, main);
    QFETCH(QSize, size);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    const QRect got = placement::beside(main, size, available);
    QCOMPARE(got, placed);
    QVERIFY(available.contains(got));
}

void PlacementTest::graphAndHelpOpenBesideTheMainWindow()
{
    LoadedShell f;
    MainWindow &main = f.shell->mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect available = main.screen()->availableGeometry();
    const QSize frameMargins = main.frameGeometry().size() - main.geometry().size();

    QVERIFY(f.shell->actions().run(QStringLiteral("graph-show"), QString()).ok);
    GraphWindow *graph = f.shell->recording().graph();
    QVERIFY(QTest::qWaitForWindowExposed(graph));
    QVERIFY2(available.contains(graph->frameGeometry()), "the graph window is on screen");
    QCOMPARE(graph->frameGeometry(),
             placement::beside(main.frameGeometry(), GraphWindow::kDefaultSize + frameMargins,
                               available));

    f.shell->helpControl().open();
    QWidget *help = f.shell->help();
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QVERIFY2(available.contains(help->frameGeometry()), "the help window is on screen");
    QCOMPARE(help->frameGeometry(),
             placement::beside(main.frameGeometry(), help->frameGeometry().size(), available));
}

void PlacementTest::vehicleDialogHasRoomForItsTitleAndOpensOnScreen()
{
    LoadedShell f;
    MainWindow &main = f.shell->mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    f.poll();
    f.poll(); // two frames that agree: there are settings to save
    QRect dialogFrame;
    int titleWidth = 0;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialogFrame = dialog->frameGeometry();
        titleWidth = dialog->fontMetrics().horizontalAdvance(dialog->windowTitle());
        dialog->reject();
    });
    const ToolActions::Result result = f.shell->settings().save(QString());
    QVERIFY(!result.ok && result.error.isEmpty()); // cancelled
    QVERIFY(titleWidth > 0);
    // The title, and beside it the window manager's icon and buttons.
    QVERIFY2(dialogFrame.width() >= titleWidth + 200,
             qPrintable(QString::number(dialogFrame.width())));
    QVERIFY(main.screen()->availableGeometry().contains(dialogFrame));
}

QTEST_MAIN(PlacementTest)
#include "tst_placement.moc"
