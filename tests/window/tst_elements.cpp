// The main window's elements in their initial state, before start-up runs,
// and how a label draws its caption.
#include "ui/mainwindow.h"
#include "ui/skinbrowser.h"
#include "ui/skinbutton.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"
#include "ui/skintimer.h"

#include <QPainter>
#include <QTest>

class ElementsTest : public QObject {
    Q_OBJECT
private slots:
    void everyElementOfTheLayoutExists();
    void elementsStartAtTheirGeometryAndText_data();
    void elementsStartAtTheirGeometryAndText();
    void onlyTheMarkedElementsStartHidden();
    void timersStartWithTheirIntervals_data();
    void timersStartWithTheirIntervals();
    void twipsAreKeptExactlyAsSetAndPixelsDerived();
    void windowIsTheFixedSkin();
    void labelShowsItsNewCaptionLaidOutAsDrawTextLaysItOut_data();
    void labelShowsItsNewCaptionLaidOutAsDrawTextLaysItOut();
    void debugLineDoesNotTakeTheFocusAtStart();
    void pairedFacesShareOnePlace();
};

void ElementsTest::everyElementOfTheLayoutExists()
{
    const QStringList names = {
        "Con1",    "con2",   "silindir1", "silindir2", "silindir3", "silindir4", "silin1",
        "silin2",  "silin3", "silin4",    "Lpg",       "petrol",    "heyo",      "Derece",
        "SensC",   "Sf",     "SSc",       "Sy",        "Sc",        "Se",        "settermm",
        "Setterm", "TA",     "TE",        "SetBox",    "selc3",     "selc2",     "selc1",
        "ca1",     "ca2",    "ca3",       "ca4",       "out2",      "out3",      "out4",
        "out1",    "in1",    "in2",       "in3",       "in4",       "rpms",      "rpmB",
        "si1",     "si2",    "si3",       "si4",       "ChangePrt", "PortNo",    "Label2",
        "showV",   "Textx",  "PowerH",    "powerL",    "Text2",     "Command1",  "ErrorList",
        "DebugX",  "kablo",  "kapa",      "Timer1",    "Timer2",    "Timer3",    "Timer4",
        "SensorX"};
    MainWindow w(true);
    QStringList actual;
    for (const auto &[name, element] : w.namedElements())
        actual.append(name);
    QCOMPARE(actual, names);
}

void ElementsTest::elementsStartAtTheirGeometryAndText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<double>>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fore");
    const auto row = [](const char *name, QList<double> geometry, const char *text,
                        const char *fore = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << geometry << QString::fromUtf8(text)
                            << QString::fromLatin1(fore);
    };
    row("Con1", {5040, 370, 3075, 480}, "", "#E0E0E0");
    row("con2", {5060, 390, 3075, 480}, "", "#000000");
    row("heyo", {4920, 1320, 4455, 255}, "Label1");
    row("Derece", {2895, 1965, 1275, 855}, "0", "#004680");
    row("Sf", {840, 2040, 375, 255}, "0");
    row("Se", {840, 3680, 375, 255}, "0");
    row("settermm", {2640, 3000, 1335, 885}, "Text3");
    row("Setterm", {2900, 3100, 1275, 855}, "0", "#004680");
    row("SetBox", {6720, 3000, 855, 285}, "Text1");
    row("ca1", {6990, 3430, 735, 255}, "", "#400000");
    row("out2", {7390, 3820, 735, 255}, "", "#400000");
    row("out1", {10450, 3820, 735, 255}, "", "#400000");
    row("in4", {10050, 4200, 735, 255}, "", "#400000");
    row("rpms", {6960, 4635, 5775, 1215}, "0000", "#8080FF");
    row("rpmB", {7005, 4665, 5775, 1095}, "0000", "#004680");
    row("si4", {7620, 4900, 615, 1215}, "", "#004680");
    row("ChangePrt", {600, 4800, 2175, 375}, "");
    row("PortNo", {4080, 4850, 495, 255}, "", "#004680");
    row("ErrorList", {5160, 6520, 6015, 1455}, "Label1", "#80FF80");
    row("DebugX", {560, 8200, 10815, 285}, "Debug Screen!");
    row("kablo", {10320, 8640, 1695, 375}, "");
    row("silin4", {9960, 900, 360, 465}, ""); // nearly at silindir4
    row("SensC", {1755, 1980, 495, 435}, "");
    row("TE", {4020, 3620, 360, 330}, "");
    row("showV", {600, 5400, 4215, 2655}, "");
    row("Command1", {7560, 6240, 975, 375}, "Command1");
}

void ElementsTest::elementsStartAtTheirGeometryAndText()
{
    QFETCH(QString, name);
    QFETCH(QList<double>, geometry);
    QFETCH(QString, text);
    QFETCH(QString, fore);
    MainWindow w(true);
    QObject *e = w.element(name);
    QVERIFY(e);
    const auto *g = dynamic_cast<ElementGeometry *>(e);
    QVERIFY(g);
    QCOMPARE((QList<double>{g->left(), g->top(), g->twipsWidth(), g->twipsHeight()}), geometry);
    if (auto *l = qobject_cast<SkinLabel *>(e)) {
        QCOMPARE(l->caption(), text);
        if (!fore.isEmpty())
            QCOMPARE(l->foreColor().name().toUpper(), fore);
    } else if (auto *t = qobject_cast<SkinTextBox *>(e)) {
        QCOMPARE(t->text(), text);
    } else if (auto *b = qobject_cast<SkinButton *>(e)) {
        QCOMPARE(b->text(), text);
    }
}

void ElementsTest::onlyTheMarkedElementsStartHidden()
{
    MainWindow w(true);
    const QStringList hidden = {"heyo",  "settermm", "SetBox", "Label2",
                                "Textx", "PowerH",   "Text2",  "Command1"};
    for (const auto &[name, element] : w.namedElements()) {
        const auto *widget = qobject_cast<QWidget *>(element);
        if (!widget)
            continue;
        QVERIFY2(widget->isHidden() == hidden.contains(name), qPrintable(name));
    }
    QCOMPARE(w.el().heyo->backColor(), QColor(0xFF, 0xFF, 0x00));
    QVERIFY(w.el().heyo->isOpaque());
    QVERIFY(!w.el().Con1->isOpaque());
}

void ElementsTest::timersStartWithTheirIntervals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("kapa") << "kapa" << 15000 << false;
    QTest::newRow("Timer1") << "Timer1" << 500 << true;
    QTest::newRow("Timer2") << "Timer2" << 300 << true;
    QTest::newRow("Timer3") << "Timer3" << 500 << true;
    QTest::newRow("Timer4") << "Timer4" << 1000 << true;
    QTest::newRow("SensorX") << "SensorX" << 100 << true;
}

void ElementsTest::timersStartWithTheirIntervals()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, enabled);
    MainWindow w(true);
    auto *t = qobject_cast<SkinTimer *>(w.element(name));
    QVERIFY(t);
    QCOMPARE(t->interval(), interval);
    QCOMPARE(t->isEnabled(), enabled);
}

void ElementsTest::twipsAreKeptExactlyAsSetAndPixelsDerived()
{
    MainWindow w(true);
    SkinLabel *heyo = w.el().heyo;
    heyo->setLeft(6007);
    heyo->setTop(3850);
    heyo->setWidth(1700);
    QCOMPARE(heyo->left(), 6007.0);
    QCOMPARE(heyo->geometry(), QRect(400, 257, 114, 17));
    // 5040 twips is 336 pixels; 3075 wide ends at 8115, pixel 541.
    QCOMPARE(w.el().Con1->geometry(), QRect(336, 25, 205, 32));
}

void ElementsTest::windowIsTheFixedSkin()
{
    MainWindow w(true);
    QCOMPARE(w.windowTitle(), QStringLiteral("Dravon Lpg Zendalite V1.0"));
    QCOMPARE(w.size(), QSize(800, 600));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    // The skin is drawn: the grab is not a blank white page.
    w.show();
    const QImage image = w.grab().toImage();
    QVERIFY(image.pixelColor(10, 300) != QColor(Qt::white));
}

namespace {
// The reference: the label's caption painted line by line with
// QPainter::drawText, CR breaking the lines.
QImage paintedByDrawText(const SkinLabel &label)
{
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(label.backColor());
    QPainter painter(&image);
    painter.setPen(label.foreColor());
    painter.setFont(label.font());
    const QFontMetrics metrics(label.font());
    QString shown = label.caption();
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    int y = 0;
    for (const QString &line : shown.split(QLatin1Char('\n'))) {
        if (y >= label.height())
            break;
        Qt::Alignment alignment = label.alignment();
        if (!line.contains(QLatin1Char(' ')) && metrics.horizontalAdvance(line) > label.width())
            alignment = Qt::AlignLeft;
        QRect used;
        painter.drawText(QRect(0, y, label.width(), label.height() - y),
                         int(alignment | Qt::AlignTop | Qt::TextWordWrap), line, &used);
        y += line.isEmpty() ? metrics.lineSpacing() : used.height();
    }
    return image;
}

QImage paintedByLabel(SkinLabel &label)
{
    QImage image(label.size(), QImage::Format_RGB32);
    label.render(&image);
    return image;
}
} // namespace

void ElementsTest::labelShowsItsNewCaptionLaidOutAsDrawTextLaysItOut_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QSize>("size");
    const int right = Qt::AlignRight, left = Qt::AlignLeft, centre = Qt::AlignHCenter;
    QTest::newRow("speed list, entries wider than the list")
        << "7571.35703555333\r7570.1\r812.5\r" << right << QSize(41, 81);
    QTest::newRow("message log") << "Ecu Okunuyor!\rBağlantı Yok!\rPort Kapalı!\r" << left
                                 << QSize(401, 97);
    QTest::newRow("words that wrap")
        << "Lpg Tuning Level Setting! and a few more words" << left << QSize(90, 120);
    QTest::newRow("centred words that wrap")
        << "Lpg Tuning Level Setting! and a few more words" << centre << QSize(90, 120);
    QTest::newRow("empty lines between") << "\r\r12\r\r34" << centre << QSize(60, 120);
    QTest::newRow("more lines than fit") << "1\r2\r3\r4\r5\r6\r7\r8\r9" << right << QSize(40, 50);
    QTest::newRow("nothing") << "" << left << QSize(40, 20);
}

void ElementsTest::labelShowsItsNewCaptionLaidOutAsDrawTextLaysItOut()
{
    QFETCH(QString, caption);
    QFETCH(int, alignment);
    QFETCH(QSize, size);
    SkinLabel label(nullptr);
    label.resize(size);
    label.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    label.setForeColor(Qt::black);
    label.setBackColor(Qt::white);
    label.setAlignment(Qt::Alignment(alignment));
    label.setKeepsLooks(true);
    // Painted first without its first line, as a speed list or the message
    // log stood before the newest line came: what it kept must not show.
    label.setCaption(caption.section(QLatin1Char('\r'), 1));
    paintedByLabel(label);
    label.setCaption(caption);
    QCOMPARE(paintedByLabel(label), paintedByDrawText(label));
}

void ElementsTest::debugLineDoesNotTakeTheFocusAtStart()
{
    MainWindow w(true);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.focusWidget() != w.el().DebugX);
    // A click still puts the cursor into it, to select and copy the line.
    QTest::mouseClick(w.el().DebugX, Qt::LeftButton);
    QCOMPARE(w.focusWidget(), w.el().DebugX);
}

void ElementsTest::pairedFacesShareOnePlace()
{
    MainWindow w(true);
    const auto &e = w.el();
    QCOMPARE(e.Lpg->geometry(), e.petrol->geometry());
    QCOMPARE(e.PowerH->geometry(), e.powerL->geometry());
    QCOMPARE(e.silin1->geometry(), e.silindir1->geometry());
    QCOMPARE(e.silin2->geometry(), e.silindir2->geometry());
    QCOMPARE(e.silin3->geometry(), e.silindir3->geometry());
}

QTEST_MAIN(ElementsTest)
#include "tst_elements.moc"
