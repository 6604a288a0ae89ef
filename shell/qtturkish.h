// Qt's own texts in Turkish: the buttons and labels of its dialogs (file
// dialogs, message boxes, standard buttons) read "İptal", "Kaydet", "Dosya
// adı" as the rest of the tool does, whatever language the desktop has,
// since the tool is Turkish on every desktop as its skin is.
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QTranslator;

namespace qtturkish {

// The catalogue of Qt's own texts: Debian's qt6-translations-l10n installs it
// with Qt's translations; a Windows folder carries it beside the program.
inline const QString kCatalogue = QStringLiteral("qtbase_tr.qm");

// The folders looked in, in order: "translations" beside the program, the
// program's own folder, then Qt's translations folder.
QStringList folders();

// The catalogue's path in the first folder that has it; empty when none does.
QString cataloguePath();

// Loads the catalogue into translator (owned by the caller, which keeps it
// for the program's life) and installs it; the path loaded, or empty (with
// the reason on stderr) when there is none: Qt's texts stay English then.
QString install(QCoreApplication &app, QTranslator &translator);

} // namespace qtturkish
