// The browser element: navigates to a local file and shows it. An animated
// picture plays; a single-file web archive shows its page; anything else
// gives the skin's still picture, or a plain "page cannot be shown" panel.
#pragma once

#include "elementgeometry.h"

#include <QWidget>

class QMovie;

class SkinBrowser : public QWidget, public ElementGeometry {
    Q_OBJECT
public:
    explicit SkinBrowser(QWidget *parent);

    // Artwork shown when the document cannot be shown (empty: the plain panel).
    void setStillArtwork(const QString &artwork) { m_still = artwork; }

    void navigate(const QString &path);
    QString document() const { return m_document; }
    int navigationCount() const { return m_navigations; }
    // What the last navigation shows.
    enum class Showing { Nothing, Animation, Page, Still, CannotShow };
    Showing showing() const { return m_showing; }

protected:
    QWidget *geometryWidget() override { return this; }
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void clear();

    QString m_document;
    QString m_still;
    QMovie *m_movie = nullptr;
    QWidget *m_page = nullptr;
    Showing m_showing = Showing::Nothing;
    int m_navigations = 0;
};
