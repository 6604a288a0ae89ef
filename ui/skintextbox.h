// A text box element; its key-down handlers see Windows virtual-key codes.
#pragma once

#include "elementgeometry.h"

#include <QLineEdit>

class SkinTextBox : public QLineEdit, public ElementGeometry {
    Q_OBJECT
public:
    explicit SkinTextBox(QWidget *parent);

    // The virtual-key code of a Qt key (13 Enter, 8 Backspace, 46 Delete,
    // 35 End, 36 Home, 48-57 digits, 65-90 letters); 0 for other keys.
    static int virtualKeyOf(int qtKey);

signals:
    void keyDown(int keyCode);

protected:
    QWidget *geometryWidget() override { return this; }
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
