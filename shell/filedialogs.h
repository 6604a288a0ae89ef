// The tool's file dialogs: Qt's file dialog (or the desktop's own, where it
// has one), opened beside the main window and on its screen.
#pragma once

#include <QString>

class QWidget;

namespace filedialogs {

// An existing file to open; empty when the person cancelled.
QString openFile(QWidget *parent, const QWidget *main, const QString &title, const QString &folder,
                 const QString &filter);

// A file to write, `suggested` proposed; empty when the person cancelled.
// A file that is there already is replaced only once the person agreed.
QString saveFile(QWidget *parent, const QWidget *main, const QString &title,
                 const QString &suggested, const QString &filter);

} // namespace filedialogs
