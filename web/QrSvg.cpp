#include "web/QrSvg.h"

#include <memory>
#include <qrencode.h>

QByteArray QrSvg(const QByteArray &text)
{
    constexpr int kQuiet = 4;
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || text.isEmpty())
        return QByteArrayLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    const int width = code->width;
    const QByteArray side = QByteArray::number(width + 2 * kQuiet);
    QByteArray path;
    // One run of dark modules per horizontal stretch keeps the path short.
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!(code->data[y * width + x] & 1))
                continue;
            int run = 1;
            while (x + run < width && (code->data[y * width + x + run] & 1))
                ++run;
            path += 'M' + QByteArray::number(x + kQuiet) + ',' + QByteArray::number(y + kQuiet) +
                    'h' + QByteArray::number(run) + "v1h-" + QByteArray::number(run) + 'z';
            x += run - 1;
        }
    }
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + side + ' ' + side +
           "\" shape-rendering=\"crispEdges\"><rect width=\"" + side + "\" height=\"" + side +
           "\" fill=\"#fff\"/><path fill=\"#000\" d=\"" + path + "\"/></svg>";
}
