#pragma once

#include <QByteArray>

// A QR code's modules (libqrencode, error correction M): `width` rows of
// `width` modules, row by row, 1 for dark.
struct QrModules
{
    int width = 0;
    QByteArray dark;

    bool isDark(int x, int y) const { return dark[y * width + x] != 0; }
};

// `text` as QR modules; width 0 when it cannot be encoded.
QrModules EncodeQr(const QByteArray &text);

// `text` as a QR code in SVG (a quiet zone of four modules), black on white,
// scaled by its view box; an empty SVG when the text cannot be encoded.
QByteArray QrSvg(const QByteArray &text);
