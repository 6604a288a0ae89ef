// The band bar chart: twice a second (Timer3) driveZ draws the picked row of
// the band table as four bars above it.
#pragma once

#include <QObject>

class MainWindow;

class BandChart : public QObject {
    Q_OBJECT
public:
    BandChart(MainWindow &window, QObject *parent = nullptr);

    void driveZ();

private:
    MainWindow &m_window;
};
