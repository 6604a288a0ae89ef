// Shows the page of a single-file web archive, its pictures taken from the
// archive's own parts.
#pragma once

#include "core/mimearchive.h"

#include <QTextBrowser>

class ArchiveView : public QTextBrowser {
    Q_OBJECT
public:
    ArchiveView(zcore::MimeArchive archive, QWidget *parent);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    zcore::MimeArchive m_archive;
};
