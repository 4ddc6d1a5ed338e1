#include "web/QrSvg.h"

#include <memory>
#include <qrencode.h>

QrModules EncodeQr(const QByteArray &text)
{
    if (text.isEmpty())
        return {};
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};
    QrModules modules{code->width, QByteArray(code->width * code->width, 0)};
    for (int i = 0; i < modules.dark.size(); ++i)
        modules.dark[i] = char(code->data[i] & 1);
    return modules;
}

QByteArray QrSvg(const QByteArray &text)
{
    constexpr int kQuiet = 4;
    const QrModules code = EncodeQr(text);
    if (code.width == 0)
        return QByteArrayLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\"/>");
    const QByteArray side = QByteArray::number(code.width + 2 * kQuiet);
    QByteArray path;
    // One run of dark modules per horizontal stretch keeps the path short.
    for (int y = 0; y < code.width; ++y) {
        for (int x = 0; x < code.width; ++x) {
            if (!code.isDark(x, y))
                continue;
            int run = 1;
            while (x + run < code.width && code.isDark(x + run, y))
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
