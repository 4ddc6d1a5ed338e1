#pragma once

#include <QByteArray>

// `text` as a QR code in SVG (libqrencode, error correction M, a quiet zone
// of four modules), black on white, scaled by its view box; an empty SVG
// when the text cannot be encoded.
QByteArray QrSvg(const QByteArray &text);
