// A label element: caption, colours, font and alignment, drawn over the skin.
#pragma once

#include "clicktracker.h"
#include "elementgeometry.h"
#include "pointer.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <vector>

class SkinLabel : public QWidget, public ElementGeometry {
    Q_OBJECT
public:
    explicit SkinLabel(QWidget *parent);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor &color);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor &color);

    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // A label that repaints often with the same caption (the status line
    // pulses through six greys while no unit answers, and its shadow under
    // it repaints with it) keeps its last few looks rendered, and repaints
    // by copying one. The looks are dropped when the caption, font, size or
    // alignment changes.
    void setKeepsLooks(bool keeps);

signals:
    void clicked();
    void mouseMoved(Qt::MouseButtons buttons, TwipsPoint at);

protected:
    QWidget *geometryWidget() override { return this; }
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Look {
        QColor fore;
        QColor back;
        bool opaque = false;
        QImage image;
    };
    // One line of the caption laid out for the label's width, font and
    // alignment. Lines are kept while they stay on the label: a speed list
    // moves its lines down one place with each frame, so only the new line
    // is shaped again.
    struct LaidOutLine {
        QTextLayout layout;
        std::vector<qreal> offsets; // left edge of each wrapped line
        int height = 0;             // pixels the line takes, wrapped lines included
    };
    void paintLabel(QPainter &painter);
    std::shared_ptr<const LaidOutLine> layOut(const QString &line) const;
    void dropLooks() { m_looks.clear(); }
    void dropLayouts()
    {
        m_laidOut.clear();
        m_looks.clear();
    }

    QString m_caption;
    QString m_shown; // the caption with CR as line breaks, as painted
    QColor m_fore = Qt::black;
    QColor m_back = Qt::white;
    bool m_opaque = true;
    ClickTracker m_click;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_keepsLooks = false;
    std::vector<Look> m_looks;
    QHash<QString, std::shared_ptr<const LaidOutLine>> m_laidOut; // the lines painted last
};
