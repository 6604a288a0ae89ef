#include "settingspreview.h"

#include "core/frame.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Name, FileValue, UnitValue, WillSend, Result, ColumnCount };

// The value as a person reads it: degrees for the switch-over temperature.
QString shownValue(int code, int value)
{
    if (code == zcore::command::kSwitchOver)
        return QStringLiteral("%1 °C").arg(zcore::degreesFromByte(value));
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
    m_send = new QPushButton(tr("Gönder"), this);
    connect(m_send, &QPushButton::clicked, this, &SettingsPreview::sendRequested);
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_result, 1);
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
    m_result->clear();
    m_progress->setValue(0);
    m_progress->hide();
    m_send->setEnabled(true);
    refresh();
    if (!isVisible())
        adjustSize(); // the whole table, without an empty band below it
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

void SettingsPreview::refresh()
{
    const auto wanted = zcore::settingItems(m_file);
    const auto present = zcore::settingItems(m_present);
    m_table->setRowCount(int(wanted.size()));
    for (int row = 0; row < int(wanted.size()); ++row) {
        const auto &w = wanted[row];
        const bool differs = w.value != present[row].value;
        const bool send = differs && groupTicked(groupOf(w.code));
        const QString cells[ColumnCount] = {
            w.name, shownValue(w.code, w.value), shownValue(w.code, present[row].value),
            send ? tr("evet") : (differs ? tr("hayır (seçili değil)") : tr("hayır (aynı)")),
            QString()};
        for (int c = 0; c < ColumnCount; ++c)
            m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    m_send->setText(tr("Gönder (%1)").arg(toSend().size()));
}

void SettingsPreview::showProgress(int sent, int total)
{
    m_send->setEnabled(false);
    m_progress->show();
    m_progress->setRange(0, qMax(total, 1));
    m_progress->setValue(total == 0 ? 1 : sent);
    m_result->setText(tr("Gönderiliyor…"));
}

void SettingsPreview::showResult(SettingsRestore::State state,
                                 const QList<SettingsRestore::Item> &items)
{
    const auto wanted = zcore::settingItems(m_file);
    for (const SettingsRestore::Item &item : items) {
        for (int row = 0; row < int(wanted.size()); ++row) {
            if (wanted[row].code != item.setting.code)
                continue;
            QString text = item.ok ? tr("doğrulandı") : tr("farklı");
            if (!item.sent)
                text = tr("gönderilemedi");
            else if (!item.got)
                text = tr("doğrulanamadı");
            else if (!item.ok)
                text = tr("ünite: %1").arg(shownValue(item.setting.code, *item.got));
            m_table->setItem(row, Result, new QTableWidgetItem(text));
        }
    }
    switch (state) {
    case SettingsRestore::State::Verified:
        m_result->setText(tr("Ayarlar yüklendi ve doğrulandı."));
        break;
    case SettingsRestore::State::Mismatch:
        m_result->setText(tr("Ünite bazı ayarları almadı."));
        break;
    case SettingsRestore::State::Unverified:
        m_result->setText(tr("Ayarlar doğrulanamadı."));
        break;
    default:
        break;
    }
    m_send->setEnabled(true);
}
