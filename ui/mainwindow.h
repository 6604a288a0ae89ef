// The main window: the 800 x 600 skin and every element laid over it. It holds
// element state only; the handlers live with their subsystems.
#pragma once

#include "core/chart.h"
#include "elementregistry.h"
#include "pointer.h"

#include <QPixmap>
#include <QWidget>

#include <array>

#include <optional>

class SkinLabel;
class SkinPicture;
class SkinTextBox;
class SkinButton;
class SkinBrowser;
class SkinTimer;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Dravon Lpg Zendalite V1.0");

    explicit MainWindow(bool manualTimers, QWidget *parent = nullptr);

    // The elements by their names in the layout.
    struct Elements {
        SkinLabel *Con1, *con2;
        SkinPicture *silindir1, *silindir2, *silindir3, *silindir4;
        SkinPicture *silin1, *silin2, *silin3, *silin4;
        SkinPicture *Lpg, *petrol;
        SkinLabel *heyo, *Derece;
        SkinPicture *SensC;
        SkinLabel *Sf, *SSc, *Sy, *Sc, *Se;
        SkinTextBox *settermm;
        SkinLabel *Setterm;
        SkinPicture *TA, *TE;
        SkinTextBox *SetBox;
        SkinPicture *selc3, *selc2, *selc1;
        SkinLabel *ca1, *ca2, *ca3, *ca4;
        SkinLabel *out2, *out3, *out4, *out1;
        SkinLabel *in1, *in2, *in3, *in4;
        SkinLabel *rpms, *rpmB;
        SkinLabel *si1, *si2, *si3, *si4;
        SkinLabel *ChangePrt, *PortNo, *Label2;
        SkinBrowser *showV;
        SkinTextBox *Textx;
        SkinPicture *PowerH, *powerL;
        SkinTextBox *Text2;
        SkinButton *Command1;
        SkinLabel *ErrorList;
        SkinTextBox *DebugX;
        SkinLabel *kablo;
        SkinTimer *kapa, *Timer1, *Timer2, *Timer3, *Timer4, *SensorX;

        // Families, in the order the logic counts their members. Mind the
        // out times: the label out2 shows channel 1, out3 channel 2, out4
        // channel 3 and out1 channel 4.
        std::array<SkinLabel *, 4> inTimes;     // in1..in4: channels 1..4
        std::array<SkinLabel *, 4> outTimes;    // out2, out3, out4, out1: channels 1..4
        std::array<SkinLabel *, 4> speedLists;  // si1..si4: channels 1..4
        std::array<SkinLabel *, 4> bandLevels;  // ca1..ca4: bands 0..3
        std::array<SkinLabel *, 5> levelPoints; // Sf, SSc, Sy, Sc, Se: full to empty
    };
    const Elements &el() const { return m_el; }

    // Every element by name, in layout order (timers included).
    const QList<ElementRegistry::Entry> &namedElements() const { return m_elements.entries(); }
    QObject *element(const QString &name) const { return m_elements.find(name); }

    // The boxes of the last band chart pass, painted over the skin; none before the first.
    const std::optional<std::array<zcore::ChartBox, 5>> &chart() const { return m_chart; }
    void setChart(const std::array<zcore::ChartBox, 5> &boxes);

    // The first timeout attribute: 0 normal, 1 minimised to the task bar.
    int windowAttribute() const;
    void setWindowAttribute(int value);

signals:
    void backgroundMoved(Qt::MouseButtons buttons, TwipsPoint at);
    void closedByUser();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build(bool manualTimers);
    template <typename T> T *add(const QString &name, T *element)
    {
        return m_elements.add(name, element);
    }

    Elements m_el{};
    ElementRegistry m_elements;
    QPixmap m_skin;
    std::optional<std::array<zcore::ChartBox, 5>> m_chart;
};
