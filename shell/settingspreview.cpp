#include "settingspreview.h"

#include "core/frame.h"
#include "ui/windowplacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, FileValue, UnitValue, WillSend, Result, ColumnCount };

// The fuel and cylinder mask as a technician reads the skin: the fuel in
// use, then the cylinder rows on gas by their place on the window (row 1
// is bit 4, row 2 bit 5, row 3 bit 3, row 4 bit 2), then any bit the unit
// does not use.
QString maskWords(int mask)
{
    static constexpr int kRowBits[] = {16, 32, 8, 4};
    QStringList rows;
    for (int row = 0; row < 4; ++row)
        if (mask & kRowBits[row])
            rows << QString::number(row + 1);
    QString text = (mask & 128) ? QObject::tr("Benzin") : QObject::tr("LPG");
    text += QStringLiteral("; ") + (rows.isEmpty() ? QObject::tr("gazda sıra yok")
                                                   : QObject::tr("%1 gazda").arg(rows.join('-')));
    QStringList others;
    for (const int bit : {6, 1, 0})
        if (mask & (1 << bit))
            others << QString::number(bit);
    if (!others.isEmpty())
        text += QStringLiteral("; ") + QObject::tr("bit %1").arg(others.join(QStringLiteral(", ")));
    return text;
}

// The value as a person reads it: degrees for the switch-over temperature,
// words for the mask.
QString shownValue(int code, int value)
{
    if (code == zcore::command::kSwitchOver)
        return QStringLiteral("%1 °C").arg(zcore::degreesFromByte(value));
    if (code == zcore::command::kMask)
        return maskWords(value);
    return QString::number(value);
}

} // namespace

SettingsPreview::SettingsPreview(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Ayarları Yükle"));
    setMinimumWidth(720);
    auto *layout = new QVBoxLayout(this);
    m_header = new QLabel(this);
    m_header->setWordWrap(true);
    layout->addWidget(m_header);

    auto *groups = new QHBoxLayout;
    const QString names[GroupCount] = {tr("Kalori seviyeleri"), tr("Geçiş ısısı"),
                                       tr("Seviye noktaları"), tr("Yakıt ve silindir")};
    for (int g = 0; g < GroupCount; ++g) {
        m_groups[g] = new QCheckBox(names[g], this);
        m_groups[g]->setChecked(g != Mask);
        connect(m_groups[g], &QCheckBox::toggled, this, &SettingsPreview::refresh);
        groups->addWidget(m_groups[g]);
    }
    layout->addLayout(groups);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setHorizontalHeaderLabels(
        {tr("Ayar"), tr("Dosyada"), tr("Ünitede"), tr("Gönderilecek"), tr("Sonuç")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::ResizeToContents);
    m_table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    layout->addWidget(m_table);

    auto *bottom = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->hide(); // until something is sent
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("result"));
    m_send = new QPushButton(tr("Gönder"), this);
    m_send->setObjectName(QStringLiteral("send"));
    m_stop = new QPushButton(tr("Durdur"), this);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setEnabled(false);
    connect(m_send, &QPushButton::clicked, this, &SettingsPreview::sendRequested);
    connect(m_stop, &QPushButton::clicked, this, &SettingsPreview::stopRequested);
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_result, 1);
    bottom->addWidget(m_stop);
    bottom->addWidget(m_send);
    layout->addLayout(bottom);
}

SettingsPreview::Group SettingsPreview::groupOf(int code)
{
    if (code == zcore::command::kSwitchOver)
        return SwitchOver;
    if (code == zcore::command::kMask)
        return Mask;
    if (code >= zcore::command::kFirstLevelPoint)
        return LevelPoints;
    return Bands;
}

void SettingsPreview::showFile(const QString &fileName, const zcore::SettingsFile &file,
                               const zcore::UnitSettings &present)
{
    m_file = file.settings;
    m_present = present;
    QStringList about;
    if (!file.plate.isEmpty())
        about << tr("Plaka: %1").arg(file.plate);
    if (!file.customer.isEmpty())
        about << tr("Müşteri: %1").arg(file.customer);
    if (file.saved.isValid())
        about << tr("Kaydedildi: %1").arg(file.saved.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    if (!file.note.isEmpty())
        about << file.note;
    m_header->setText(about.isEmpty()
                          ? fileName
                          : fileName + QLatin1Char('\n') + about.join(QStringLiteral(" — ")));
    m_state = SettingsRestore::State::Idle;
    m_result->clear();
    m_progress->setValue(0);
    m_progress->hide();
    m_table->setRowCount(0); // no result of another file stays
    refresh();
    if (!isVisible()) {
        adjustSize(); // the whole table, without an empty band below it
        if (m_anchor)
            placement::placeBeside(this, m_anchor);
    }
    QWidget::show();
    raise();
    activateWindow();
}

void SettingsPreview::setPresent(const zcore::UnitSettings &present)
{
    if (present == m_present)
        return;
    m_present = present;
    refresh();
}

void SettingsPreview::setGroupTicked(Group group, bool ticked)
{
    m_groups[group]->setChecked(ticked);
}

bool SettingsPreview::groupTicked(Group group) const { return m_groups[group]->isChecked(); }

QList<zcore::SettingItem> SettingsPreview::chosen() const
{
    QList<zcore::SettingItem> out;
    for (const zcore::SettingItem &item : zcore::settingItems(m_file))
        if (groupTicked(groupOf(item.code)))
            out.append(item);
    return out;
}

QList<zcore::SettingItem> SettingsPreview::toSend() const
{
    QList<zcore::SettingItem> out;
    const auto wanted = zcore::settingItems(m_file);
    const auto present = zcore::settingItems(m_present);
    for (qsizetype i = 0; i < wanted.size(); ++i)
        if (groupTicked(groupOf(wanted[i].code)) && wanted[i].value != present[i].value)
            out.append(wanted[i]);
    return out;
}

bool SettingsPreview::running() const
{
    return m_state == SettingsRestore::State::Sending ||
           m_state == SettingsRestore::State::Verifying;
}

void SettingsPreview::refresh()
{
    const auto wanted = zcore::settingItems(m_file);
    const auto present = zcore::settingItems(m_present);
    m_table->setRowCount(int(wanted.size()));
    for (int row = 0; row < int(wanted.size()); ++row) {
        const auto &w = wanted[row];
        const bool differs = w.value != present[row].value;
        const bool send = differs && groupTicked(groupOf(w.code));
        const QString cells[Result] = {
            w.name, shownValue(w.code, w.value), shownValue(w.code, present[row].value),
            send ? tr("evet") : (differs ? tr("hayır (seçili değil)") : tr("hayır (aynı)"))};
        for (int c = 0; c < Result; ++c) {
            QTableWidgetItem *item = m_table->item(row, c);
            if (!item)
                m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
            else if (item->text() != cells[c])
                item->setText(cells[c]);
        }
    }
    const auto count = toSend().size();
    m_send->setText(tr("Gönder (%1)").arg(count));
    m_send->setEnabled(!running() && count > 0);
    m_stop->setEnabled(m_state == SettingsRestore::State::Sending);
    for (QCheckBox *group : m_groups)
        group->setEnabled(!running());
}

void SettingsPreview::showState(SettingsRestore::State state)
{
    m_state = state;
    if (state == SettingsRestore::State::Verifying)
        m_result->setText(tr("Doğrulanıyor…"));
    refresh();
}

void SettingsPreview::showProgress(int sent, int total)
{
    m_state = SettingsRestore::State::Sending;
    if (sent == 0) {
        // A new restore: the results of the last one go.
        for (int row = 0; row < m_table->rowCount(); ++row)
            m_table->setItem(row, Result, nullptr);
    }
    m_progress->show();
    m_progress->setRange(0, qMax(total, 1));
    m_progress->setValue(total == 0 ? 1 : sent);
    m_result->setText(tr("Gönderiliyor…"));
    refresh();
}

void SettingsPreview::showResult(SettingsRestore::State state,
                                 const QList<SettingsRestore::Item> &items)
{
    const auto wanted = zcore::settingItems(m_file);
    for (const SettingsRestore::Item &item : items) {
        for (int row = 0; row < int(wanted.size()); ++row) {
            if (wanted[row].code != item.setting.code)
                continue;
            QString text;
            if (state == SettingsRestore::State::Cancelled)
                text = item.sent ? tr("gönderildi") : item.toSend ? tr("gönderilmedi") : QString();
            else if (item.toSend && !item.sent)
                text = tr("gönderilemedi");
            else if (!item.got)
                text = tr("doğrulanamadı");
            else if (item.ok)
                text = tr("doğrulandı");
            else
                text = tr("ünite: %1").arg(shownValue(item.setting.code, *item.got));
            m_table->setItem(row, Result, new QTableWidgetItem(text));
        }
    }
    // What the line under the table says once a restore has ended, by state.
    const QString outcomes[] = {QString(),
                                QString(),
                                QString(),
                                tr("Ayarlar yüklendi ve doğrulandı."),
                                tr("Ünite bazı ayarları almadı."),
                                tr("Ayarlar doğrulanamadı."),
                                tr("Durduruldu; kalan ayarlar gönderilmedi.")};
    if (!outcomes[int(state)].isEmpty())
        m_result->setText(outcomes[int(state)]);
    showState(state);
}

void SettingsPreview::closeEvent(QCloseEvent *event)
{
    emit closed();
    QWidget::closeEvent(event);
}
