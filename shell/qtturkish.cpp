#include "qtturkish.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace qtturkish {

QStringList folders()
{
    const QDir own(QCoreApplication::applicationDirPath());
    return {own.filePath(QStringLiteral("translations")), own.path(),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

QString cataloguePath()
{
    for (const QString &folder : folders()) {
        const QFileInfo file(QDir(folder).filePath(kCatalogue));
        if (file.isFile())
            return file.filePath();
    }
    return {};
}

QString install(QCoreApplication &app, QTranslator &translator)
{
    const QString path = cataloguePath();
    // The exact file: QTranslator::load would otherwise try shorter names
    // ("qtbase.qm") of its own.
    if (path.isEmpty() || !translator.load(path)) {
        std::fprintf(stderr,
                     "zendalite: %s not found or not readable in %s; Qt's dialogs stay "
                     "English\n",
                     qPrintable(kCatalogue), qPrintable(folders().join(QStringLiteral(", "))));
        return {};
    }
    app.installTranslator(&translator);
    return path;
}

} // namespace qtturkish
