#include "mainwindow.h"

#include "artwork.h"
#include "bandedpaint.h"
#include "core/twips.h"
#include "skinbrowser.h"
#include "skinbutton.h"
#include "skinfonts.h"
#include "skinlabel.h"
#include "skinpicture.h"
#include "skintextbox.h"
#include "skintimer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

const QColor kDarkBlue(0x00, 0x46, 0x80);
const QColor kBandText(0x40, 0x00, 0x00);

QFont defaultFont() { return skinFont(QStringLiteral("MS Sans Serif"), 8.25); }
QFont verdana(double points) { return skinFont(QStringLiteral("Verdana"), points); }
QFont times(double points) { return skinFont(QStringLiteral("Times New Roman"), points); }
QFont sansSerif(double points) { return skinFont(QStringLiteral("MS Sans Serif"), points); }

struct LabelStyle {
    QFont font = defaultFont();
    QColor fore = QGuiApplication::palette().color(QPalette::WindowText);
    QColor back = QGuiApplication::palette().color(QPalette::Window);
    Qt::Alignment alignment = Qt::AlignLeft;
    bool transparent = false;
};

} // namespace

MainWindow::MainWindow(bool manualTimers, QWidget *parent) : QWidget(parent)
{
    setWindowTitle(kTitle);
    setFixedSize(800, 600);
    setMouseTracking(true);
    setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    build(manualTimers);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void MainWindow::build(bool manualTimers)
{
    auto label = [this](const QString &name, double l, double t, double w, double h,
                        const QString &text, const LabelStyle &style) {
        auto *e = add(name, new SkinLabel(this));
        e->setTwipsGeometry(l, t, w, h);
        e->setCaption(text);
        e->setFont(style.font);
        e->setForeColor(style.fore);
        e->setBackColor(style.back);
        e->setAlignment(style.alignment);
        e->setOpaque(!style.transparent);
        return e;
    };
    auto picture = [this](const QString &name, const QString &artwork, double l, double t, double w,
                          double h) {
        auto *e = add(name, new SkinPicture(artwork, this));
        e->setTwipsGeometry(l, t, w, h);
        return e;
    };
    auto textBox = [this](const QString &name, double l, double t, double w, double h,
                          const QString &text, const QFont &font, Qt::Alignment alignment) {
        auto *e = add(name, new SkinTextBox(this));
        e->setTwipsGeometry(l, t, w, h);
        e->setText(text);
        e->setFont(font);
        e->setAlignment(alignment);
        return e;
    };

    const LabelStyle band{verdana(9.75), kBandText,
                          QGuiApplication::palette().color(QPalette::Base), Qt::AlignHCenter, true};
    const LabelStyle speedList{sansSerif(9.75), kDarkBlue, Qt::white, Qt::AlignRight, true};
    const LabelStyle calibration{defaultFont(),
                                 QGuiApplication::palette().color(QPalette::WindowText), Qt::white,
                                 Qt::AlignHCenter, false};
    const LabelStyle hotSpot{defaultFont(), Qt::black, Qt::white, Qt::AlignLeft, true};

    Elements &e = m_el;
    e.Con1 = label("Con1", 5040, 370, 3075, 480, "",
                   {verdana(20.25), QColor(0xE0, 0xE0, 0xE0), Qt::white, Qt::AlignHCenter, true});
    e.con2 = label("con2", 5060, 390, 3075, 480, "",
                   {verdana(20.25), Qt::black, Qt::white, Qt::AlignHCenter, true});
    // The status line pulses every poll while no unit answers; its shadow
    // repaints with it.
    e.Con1->setKeepsLooks(true);
    e.con2->setKeepsLooks(true);
    e.silindir1 = picture("silindir1", "silindir", 9060, 900, 360, 465);
    e.silindir2 = picture("silindir2", "silindir", 8595, 900, 360, 465);
    e.silindir3 = picture("silindir3", "silindir", 9525, 900, 360, 465);
    e.silindir4 = picture("silindir4", "silindir", 9990, 900, 360, 465);
    e.silin1 = picture("silin1", "silin", 9060, 900, 360, 465);
    e.silin2 = picture("silin2", "silin", 8595, 900, 360, 465);
    e.silin3 = picture("silin3", "silin", 9525, 900, 360, 465);
    e.silin4 = picture("silin4", "silin", 9960, 900, 360, 465);
    e.Lpg = picture("Lpg", "lpg", 10460, 900, 1035, 465);
    e.petrol = picture("petrol", "petrol", 10460, 900, 1035, 465);
    e.heyo = label("heyo", 4920, 1320, 4455, 255, "Label1",
                   {defaultFont(), QGuiApplication::palette().color(QPalette::WindowText),
                    QColor(0xFF, 0xFF, 0x00), Qt::AlignHCenter, false});
    e.Derece = label("Derece", 2895, 1965, 1275, 855, "0",
                     {times(36), kDarkBlue, Qt::white, Qt::AlignHCenter, true});
    e.SensC = picture("SensC", "sensc", 1755, 1980, 495, 435);
    e.Sf = label("Sf", 840, 2040, 375, 255, "0", calibration);
    e.SSc = label("SSc", 840, 2440, 375, 255, "0", calibration);
    e.Sy = label("Sy", 840, 2860, 375, 255, "0", calibration);
    e.Sc = label("Sc", 840, 3250, 375, 255, "0", calibration);
    e.Se = label("Se", 840, 3680, 375, 255, "0", calibration);
    e.settermm = textBox("settermm", 2640, 3000, 1335, 885, "Text3", times(36), Qt::AlignHCenter);
    e.Setterm = label("Setterm", 2900, 3100, 1275, 855, "0",
                      {times(36), kDarkBlue, Qt::white, Qt::AlignHCenter, true});
    e.TA = picture("TA", "ta", 4020, 3090, 360, 420);
    e.TE = picture("TE", "te", 4020, 3620, 360, 330);
    e.SetBox = textBox("SetBox", 6720, 3000, 855, 285, "Text1", defaultFont(), Qt::AlignHCenter);
    e.selc3 = picture("selc3", "selc", 6480, 3420, 300, 285);
    e.selc2 = picture("selc2", "selc", 6480, 3810, 300, 285);
    e.selc1 = picture("selc1", "selc", 6480, 4180, 300, 285);
    e.ca1 = label("ca1", 6990, 3430, 735, 255, "", band);
    e.ca2 = label("ca2", 8020, 3430, 735, 255, "", band);
    e.ca3 = label("ca3", 9040, 3430, 735, 255, "", band);
    e.ca4 = label("ca4", 10050, 3430, 735, 255, "", band);
    e.out2 = label("out2", 7390, 3820, 735, 255, "", band);
    e.out3 = label("out3", 8400, 3840, 735, 255, "", band);
    e.out4 = label("out4", 9480, 3840, 735, 255, "", band);
    e.out1 = label("out1", 10450, 3820, 735, 255, "", band);
    e.in1 = label("in1", 6990, 4200, 735, 255, "", band);
    e.in2 = label("in2", 8020, 4200, 735, 255, "", band);
    e.in3 = label("in3", 9040, 4200, 735, 255, "", band);
    e.in4 = label("in4", 10050, 4200, 735, 255, "", band);
    e.rpms = label("rpms", 6960, 4635, 5775, 1215, "0000",
                   {verdana(48), QColor(0x80, 0x80, 0xFF), Qt::white, Qt::AlignHCenter, true});
    e.rpmB = label("rpmB", 7005, 4665, 5775, 1095, "0000",
                   {verdana(48), kDarkBlue, Qt::white, Qt::AlignHCenter, true});
    e.si1 = label("si1", 5160, 4900, 615, 1215, "", speedList);
    e.si2 = label("si2", 5960, 4900, 615, 1215, "", speedList);
    e.si3 = label("si3", 6790, 4900, 615, 1215, "", speedList);
    e.si4 = label("si4", 7620, 4900, 615, 1215, "", speedList);
    e.ChangePrt = label("ChangePrt", 600, 4800, 2175, 375, "", hotSpot);
    e.PortNo = label("PortNo", 4080, 4850, 495, 255, "",
                     {sansSerif(8.25), kDarkBlue, Qt::white, Qt::AlignHCenter, true});
    e.Label2 = label("Label2", 840, 5400, 3615, 255, "Label2", LabelStyle{});
    e.showV = add("showV", new SkinBrowser(this));
    e.showV->setTwipsGeometry(600, 5400, 4215, 2655);
    e.showV->setStillArtwork(QStringLiteral("showv-still"));
    e.Textx = textBox("Textx", 720, 5640, 3255, 495, "Textx", defaultFont(), Qt::AlignLeft);
    e.PowerH = picture("PowerH", "powerh", 9400, 5810, 735, 390);
    e.powerL = picture("powerL", "powerl", 9400, 5810, 735, 390);
    e.Text2 = textBox("Text2", 6240, 6120, 735, 495, "Text2", defaultFont(), Qt::AlignLeft);
    e.Command1 = add("Command1", new SkinButton(this));
    e.Command1->setTwipsGeometry(7560, 6240, 975, 375);
    e.Command1->setText(QStringLiteral("Command1"));
    e.ErrorList = label("ErrorList", 5160, 6520, 6015, 1455, "Label1",
                        {verdana(8.25), QColor(0x80, 0xFF, 0x80), Qt::white, Qt::AlignLeft, true});
    e.DebugX =
        textBox("DebugX", 560, 8200, 10815, 285, "Debug Screen!", verdana(9), Qt::AlignHCenter);
    // The debug line takes the focus only when clicked: at start no text box
    // has the focus, so no cursor blinks (and wakes the program) until the
    // technician clicks into a box.
    e.DebugX->setFocusPolicy(Qt::ClickFocus);
    e.kablo = label("kablo", 10320, 8640, 1695, 375, "", hotSpot);

    e.kapa = add("kapa", new SkinTimer(15000, false, manualTimers, this));
    e.Timer1 = add("Timer1", new SkinTimer(500, true, manualTimers, this));
    e.Timer2 = add("Timer2", new SkinTimer(300, true, manualTimers, this));
    e.Timer3 = add("Timer3", new SkinTimer(500, true, manualTimers, this));
    e.Timer4 = add("Timer4", new SkinTimer(1000, true, manualTimers, this));
    e.SensorX = add("SensorX", new SkinTimer(100, true, manualTimers, this));

    e.inTimes = {e.in1, e.in2, e.in3, e.in4};
    e.outTimes = {e.out2, e.out3, e.out4, e.out1};
    e.speedLists = {e.si1, e.si2, e.si3, e.si4};
    e.bandLevels = {e.ca1, e.ca2, e.ca3, e.ca4};
    e.levelPoints = {e.Sf, e.SSc, e.Sy, e.Sc, e.Se};

    for (QWidget *hidden : {static_cast<QWidget *>(e.SetBox), static_cast<QWidget *>(e.settermm),
                            static_cast<QWidget *>(e.Textx), static_cast<QWidget *>(e.Text2),
                            static_cast<QWidget *>(e.heyo), static_cast<QWidget *>(e.Label2),
                            static_cast<QWidget *>(e.Command1), static_cast<QWidget *>(e.PowerH)})
        hidden->setVisible(false);

    // Shadow layers sit under their light layers; the balloon and the entry
    // boxes above everything they open over.
    e.con2->stackUnder(e.Con1);
    e.rpmB->stackUnder(e.rpms);
    e.settermm->raise();
    e.SetBox->raise();
    e.heyo->raise();
}

int MainWindow::windowAttribute() const { return (windowState() & Qt::WindowMinimized) ? 1 : 0; }

void MainWindow::setWindowAttribute(int value)
{
    if (value == windowAttribute())
        return;
    if (value == 1)
        setWindowState(windowState() | Qt::WindowMinimized);
    else
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

namespace {
// A box covers everything between its corners, edges included, in whatever
// order they come; twips round to pixels only here.
QRect pixelsOf(const zcore::ChartBox &b)
{
    using zcore::twipsToPixels;
    const int x0 = twipsToPixels(std::min(b.left, b.right));
    const int x1 = twipsToPixels(std::max(b.left, b.right));
    const int y0 = twipsToPixels(std::min(b.top, b.bottom));
    const int y1 = twipsToPixels(std::max(b.top, b.bottom));
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}
} // namespace

void MainWindow::setChart(const std::array<zcore::ChartBox, 5> &boxes)
{
    const bool changed = !m_chart || *m_chart != boxes;
    m_chart = boxes;
    if (changed)
        update(pixelsOf(boxes[0])); // the background box holds every bar
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    const qreal dpr = devicePixelRatioF();
    if (m_skin.isNull() || m_skin.devicePixelRatio() != dpr)
        m_skin = renderArtwork(QStringLiteral("background"), size(), dpr);
    QPainter painter(this);
    // Only the dirty rectangles, not the box around them: a poll with a frame
    // dirties labels all over the window.
    for (const QRect &dirty : event->region())
        banded::drawPixmap(painter, dirty, m_skin, dirty.topLeft());
    if (m_chart) {
        const QRect dirty = event->rect();
        for (const zcore::ChartBox &box : *m_chart)
            banded::fillRect(painter, pixelsOf(box) & dirty, QColor::fromRgb(box.rgb));
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    emit backgroundMoved(event->buttons(), toTwips(event->position()));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closedByUser();
}
