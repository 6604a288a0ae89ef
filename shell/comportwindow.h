// The port-number dialog's window: a text box for the number and its caption.
#pragma once

#include "ui/elementregistry.h"

#include <QWidget>

class SkinTextBox;
class SkinLabel;

class ComPortWindow : public QWidget {
    Q_OBJECT
public:
    explicit ComPortWindow(QWidget *parent = nullptr);

    // The elements by their names in the layout.
    struct Elements {
        SkinTextBox *Text1 = nullptr;
        SkinLabel *Label1 = nullptr;
    };
    const Elements &el() const { return m_el; }
    const ElementRegistry &elements() const { return m_elements; }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Elements m_el;
    ElementRegistry m_elements;
};
