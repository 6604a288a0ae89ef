// A command button element.
#pragma once

#include "elementgeometry.h"

#include <QPushButton>

class SkinButton : public QPushButton, public ElementGeometry {
    Q_OBJECT
public:
    explicit SkinButton(QWidget *parent) : QPushButton(parent) {}

protected:
    QWidget *geometryWidget() override { return this; }
};
