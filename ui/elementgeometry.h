// Position and size of a window element in twips, kept exactly as set; the
// widget's pixel geometry is derived from them.
#pragma once

class QWidget;

class ElementGeometry {
public:
    virtual ~ElementGeometry() = default;

    double left() const { return m_left; }
    double top() const { return m_top; }
    double twipsWidth() const { return m_width; }
    double twipsHeight() const { return m_height; }

    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setTwipsGeometry(double left, double top, double width, double height);

protected:
    virtual QWidget *geometryWidget() = 0;

private:
    void apply();

    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};
