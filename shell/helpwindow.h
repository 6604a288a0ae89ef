// The help window: a browser element filling the window.
#pragma once

#include "ui/elementregistry.h"

#include <QStringList>
#include <QWidget>

class SkinBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // The elements by their names in the layout.
    struct Elements {
        SkinBrowser *WebBrowser1 = nullptr;
    };
    const Elements &el() const { return m_el; }
    const ElementRegistry &elements() const { return m_elements; }
    // The names, also while no help window exists.
    static QStringList elementNames() { return {QStringLiteral("WebBrowser1")}; }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Elements m_el;
    ElementRegistry m_elements;
};
