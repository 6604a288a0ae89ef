// The tuning assistant's window ("Ayar Yardımcısı"): the steps to follow
// (the one to do now in bold), what the last frame said, per speed band the
// samples and medians on each fuel, the error, the level the unit holds and
// the level proposed or why there is none, and the picture they came from.
// "Uygula" asks for the proposal to be sent (through the settings preview);
// nothing is sent from here.
#pragma once

#include "core/tuningsession.h"

#include <QWidget>

#include <array>
#include <vector>

class AssistantPlot;
class QLabel;
class QPushButton;
class QTableWidget;

class AssistantWindow : public QWidget {
    Q_OBJECT
public:
    enum Column {
        BandColumn,
        PetrolSamplesColumn,
        GasSamplesColumn,
        PetrolMsColumn,
        GasMsColumn,
        ErrorColumn,
        LevelColumn,
        ProposedColumn,
        WhyColumn,
        ColumnCount
    };

    explicit AssistantWindow(QWidget *parent = nullptr);

    // collecting: live frames are being collected; now: why the last live
    // frame did not count, or empty.
    void showSession(const zcore::TuningSession &session, zcore::TuningSession::Step step,
                     bool collecting, const QString &now);

    QTableWidget *table() const { return m_table; }
    QPushButton *applyButton() const { return m_apply; }
    AssistantPlot *plot() const { return m_plot; }
    QString stepShown() const;

signals:
    void addRecordingRequested();
    void resetRequested();
    void applyRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fitTable();

    std::array<QLabel *, 7> m_steps{}; // child widgets, one per step
    QLabel *m_now = nullptr;           // child widget
    QTableWidget *m_table = nullptr;   // child widget
    AssistantPlot *m_plot = nullptr;   // child widget
    QPushButton *m_add = nullptr;      // child widget
    QPushButton *m_reset = nullptr;    // child widget
    QPushButton *m_apply = nullptr;    // child widget
};
