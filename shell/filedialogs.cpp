#include "filedialogs.h"

#include "ui/windowplacement.h"

#include <QFileDialog>

namespace filedialogs {

namespace {

QString ask(QFileDialog &dialog, const QWidget *main)
{
    placement::placeBeside(&dialog, main);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace

QString openFile(QWidget *parent, const QWidget *main, const QString &title, const QString &folder,
                 const QString &filter)
{
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return ask(dialog, main);
}

QString saveFile(QWidget *parent, const QWidget *main, const QString &title,
                 const QString &suggested, const QString &filter)
{
    QFileDialog dialog(parent, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return ask(dialog, main);
}

} // namespace filedialogs
