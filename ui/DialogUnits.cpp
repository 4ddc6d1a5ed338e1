#include "ui/DialogUnits.h"

#include <QFontMetrics>

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    // The average width over the 52 letters, rounded, as the platform that
    // defined dialog units measures it.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_charWidth = (letters / 26 + 1) / 2;
    m_charHeight = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const
{
    return {X(x), Y(y), X(width), Y(height)};
}

QSize DialogUnits::Size(int width, int height) const
{
    return {X(width), Y(height)};
}
