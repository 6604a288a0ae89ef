#include "skinfonts.h"

#include <QStringList>
#include <QtMath>

void installFontSubstitutes()
{
    const QStringList verdana = {QLatin1String("DejaVu Sans"), QLatin1String("Liberation Sans")};
    const QStringList times = {QLatin1String("Liberation Serif"), QLatin1String("DejaVu Serif")};
    const QStringList sans = {QLatin1String("Liberation Sans"), QLatin1String("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("Verdana"), verdana);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), times);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
}

QFont skinFont(const QString &family, double points)
{
    QFont font(family);
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(true);
    return font;
}
