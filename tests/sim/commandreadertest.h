#pragma once

#include <QObject>

class CommandReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsWhatTheToolSends_data();
    void readsWhatTheToolSends();
};
