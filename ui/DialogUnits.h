#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog layouts are given in dialog units, which follow the dialog's font: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height. Converts them to pixels, and scales
// pixel widths laid out for the layout font (lists' columns) to this font.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont &font);

    // The average character width the window's pixel sizes were laid out for.
    static constexpr int kLayoutCharWidth = 6;

    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;
    // A width laid out in pixels for the layout font, scaled to this font.
    int ScaledWidth(int pixels) const
    {
        return (pixels * m_charWidth + kLayoutCharWidth / 2) / kLayoutCharWidth;
    }

private:
    int X(int units) const { return (units * m_charWidth + 2) / 4; }
    int Y(int units) const { return (units * m_charHeight + 4) / 8; }

    int m_charWidth = 0;
    int m_charHeight = 0;
};
