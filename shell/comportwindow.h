// The port-number dialog's window: a text box for the number and its caption.
#pragma once

#include <QWidget>

class SkinTextBox;
class SkinLabel;

class ComPortWindow : public QWidget {
    Q_OBJECT
public:
    explicit ComPortWindow(QWidget *parent = nullptr);

    SkinTextBox *Text1() const { return m_text1; }
    SkinLabel *Label1() const { return m_label1; }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SkinTextBox *m_text1 = nullptr;
    SkinLabel *m_label1 = nullptr;
};
