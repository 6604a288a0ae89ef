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
    const QList<ElementRegistry::Entry> &namedElements() const { return m_elements.entries(); }
    QObject *element(const QString &name) const { return m_elements.find(name); }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Elements m_el;
    ElementRegistry m_elements;
};
