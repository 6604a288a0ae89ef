// A picture element: fixed artwork at its pixel size; only visibility and top change.
#pragma once

#include "clicktracker.h"
#include "elementgeometry.h"

#include <QPixmap>
#include <QWidget>

class SkinPicture : public QWidget, public ElementGeometry {
    Q_OBJECT
public:
    SkinPicture(const QString &artwork, QWidget *parent);

signals:
    void clicked();
    void doubleClicked();

protected:
    QWidget *geometryWidget() override { return this; }
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QString m_artwork;
    QPixmap m_pixmap;
    ClickTracker m_click;
};
