#include "shellfixture.h"

#include "ui/mainwindow.h"
#include "ui/skintimer.h"

#include <QDir>
#include <QFile>

ShellFixture::ShellFixture()
{
    shell = std::make_unique<AppShell>(link, dir.path(), true);
    // Pauses move the link's clock instead of waiting, as long as they would.
    shell->sender().setPause(
        [this](int units) { link.advance(units * CommandSender::kMsPerUnit); });
}

QString ShellFixture::portFilePath() const
{
    return QDir(dir.path()).filePath(QStringLiteral("Ecu.ini"));
}

void ShellFixture::writePortFile(const QByteArray &bytes) const
{
    QFile f(portFilePath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray ShellFixture::portFile() const
{
    QFile f(portFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ShellFixture::portFileExists() const { return QFile::exists(portFilePath()); }

void ShellFixture::loadWith(const QByteArray &portFile)
{
    writePortFile(portFile);
    shell->load();
}

void ShellFixture::poll(const QByteArray &bytes)
{
    link.receive(bytes);
    tick(shell->mainWindow().el().Timer2);
}

void ShellFixture::tick(SkinTimer *timer, int count)
{
    for (int i = 0; i < count; ++i)
        timer->tickNow();
}
