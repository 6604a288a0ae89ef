#include "assistantwindow.h"

#include "assistantplot.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

using Step = zcore::TuningSession::Step;
constexpr std::array kSteps = {Step::WarmUp, Step::PetrolDrive, Step::SwitchToGas, Step::GasDrive,
                               Step::Apply,  Step::CheckDrive,  Step::Done};

// Numbers as a Turkish reader writes them, whatever the desktop's locale.
QString number(double value, int decimals)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const double scale = std::pow(10.0, decimals);
    const double shown = std::round(value * scale) / scale;
    return turkish.toString(shown == 0 ? 0.0 : shown, 'f', decimals); // no "-0,0"
}

QString orDash(const std::optional<double> &value, int decimals)
{
    return value ? number(*value, decimals) : QStringLiteral("–");
}

} // namespace

AssistantWindow::AssistantWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Ayar Yardımcısı"));
    resize(900, 640);

    auto *stepsBox = new QWidget(this);
    auto *stepsLayout = new QVBoxLayout(stepsBox);
    stepsLayout->setContentsMargins(0, 0, 0, 0);
    stepsLayout->setSpacing(2);
    for (size_t i = 0; i < kSteps.size(); ++i) {
        m_steps[i] = new QLabel(
            QStringLiteral("%1. %2").arg(i + 1).arg(zcore::TuningSession::stepText(kSteps[i])),
            stepsBox);
        stepsLayout->addWidget(m_steps[i]);
    }
    m_now = new QLabel(this);
    m_now->setWordWrap(true);

    m_table = new QTableWidget(zcore::kSpeedBandCount, ColumnCount, this);
    m_table->setHorizontalHeaderLabels({tr("Bant"), tr("Benzin\nörnek"), tr("Gaz\nörnek"),
                                        tr("Benzin\n(ms)"), tr("Gaz\n(ms)"), tr("Hata"),
                                        tr("Seviye"), tr("Öneri"), tr("Neden")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setWordWrap(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(WhyColumn, QHeaderView::Stretch);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int b = 0; b < zcore::kSpeedBandCount; ++b)
        for (int c = 0; c < ColumnCount; ++c)
            m_table->setItem(b, c, new QTableWidgetItem);

    m_plot = new AssistantPlot(this);

    m_add = new QPushButton(tr("Kayıt Ekle…"), this);
    m_reset = new QPushButton(tr("Sıfırla"), this);
    m_apply = new QPushButton(tr("Uygula"), this);
    m_apply->setEnabled(false);
    connect(m_add, &QPushButton::clicked, this, &AssistantWindow::addRecordingRequested);
    connect(m_reset, &QPushButton::clicked, this, &AssistantWindow::resetRequested);
    connect(m_apply, &QPushButton::clicked, this, &AssistantWindow::applyRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_reset);
    buttons->addStretch();
    buttons->addWidget(m_apply);

    auto *top = new QHBoxLayout;
    top->addWidget(stepsBox);
    top->addWidget(m_now, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table);
    layout->addWidget(m_plot, 1);
    layout->addLayout(buttons);
}

void AssistantWindow::showSession(const zcore::TuningSession &session, Step step, bool collecting,
                                  const QString &now)
{
    for (size_t i = 0; i < kSteps.size(); ++i) {
        QFont font = m_steps[i]->font();
        font.setBold(kSteps[i] == step);
        m_steps[i]->setFont(font);
        m_steps[i]->setEnabled(kSteps[i] == step);
    }
    QString status = collecting ? tr("Canlı veriler toplanıyor.") : tr("Canlı veri toplanmıyor.");
    if (!now.isEmpty())
        status += QLatin1Char(' ') + tr("Son veri sayılmadı: %1.").arg(now);
    m_now->setText(status);

    const auto reports = session.reports();
    int proposals = 0;
    for (const zcore::BandReport &r : reports) {
        const auto set = [&](int column, const QString &text) {
            m_table->item(r.band, column)->setText(text);
        };
        set(BandColumn, QStringLiteral("%1-%2 rpm")
                            .arg(zcore::kSpeedBandLimitsRpm[size_t(r.band)])
                            .arg(zcore::kSpeedBandLimitsRpm[size_t(r.band) + 1]));
        set(PetrolSamplesColumn, QString::number(r.petrolSamples));
        set(GasSamplesColumn, QString::number(r.gasSamples));
        set(PetrolMsColumn, orDash(r.petrolMs, 2));
        set(GasMsColumn, orDash(r.gasMs, 2));
        set(ErrorColumn, r.proposal.errorPct
                             ? QStringLiteral("%%1").arg(number(*r.proposal.errorPct, 1))
                             : QStringLiteral("–"));
        set(LevelColumn, r.level ? QString::number(*r.level) : QStringLiteral("–"));
        set(ProposedColumn,
            r.proposal.level ? QString::number(*r.proposal.level) : QStringLiteral("–"));
        set(WhyColumn, r.proposal.why);
        QFont font = m_table->item(r.band, ProposedColumn)->font();
        font.setBold(r.proposal.level.has_value());
        m_table->item(r.band, ProposedColumn)->setFont(font);
        proposals += r.proposal.level ? 1 : 0;
    }
    m_apply->setText(proposals ? tr("Uygula (%1)").arg(proposals) : tr("Uygula"));
    m_apply->setEnabled(proposals > 0);
    m_plot->show(session.samples(), reports);
    fitTable();
}

void AssistantWindow::fitTable()
{
    // The four bands whole, without an empty band below them.
    m_table->resizeRowsToContents();
    int height = m_table->horizontalHeader()->height() + 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row)
        height += m_table->rowHeight(row);
    m_table->setFixedHeight(height);
}

QString AssistantWindow::stepShown() const
{
    for (QLabel *label : m_steps)
        if (label->font().bold())
            return label->text();
    return {};
}

void AssistantWindow::closeEvent(QCloseEvent *event)
{
    emit closed();
    event->accept();
}
