#include "ui/ApplicationLook.h"

#include <QApplication>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>

const char *const ApplicationLook::kSettingsKey = "ApplicationLook";

namespace {

const QString kFusion = QStringLiteral("Fusion");

// The style the platform gave the application, remembered before any look replaced it.
QString PlatformStyleName()
{
    static const QString name = QApplication::style()->name();
    return name;
}

// Halfway between a text colour and the colour it is drawn on: greyed text.
QColor Greyed(const QColor &text, const QColor &background)
{
    return QColor((text.red() + background.red()) / 2, (text.green() + background.green()) / 2,
                  (text.blue() + background.blue()) / 2);
}

// A palette from the colours that differ between looks: the frame and its
// bars, buttons, the text on them, and the selection. Lists stay white.
// Texts are set for the active and inactive groups only, and the disabled
// group gets greyed ones, so disabled items never look usable.
QPalette Tinted(QColor window, QColor button, QColor text, QColor highlight)
{
    QPalette palette(button, window);
    const auto setEnabled = [&palette](QPalette::ColorRole role, const QColor &color) {
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
    };
    setEnabled(QPalette::WindowText, text);
    setEnabled(QPalette::ButtonText, text);
    setEnabled(QPalette::Text, Qt::black);
    setEnabled(QPalette::HighlightedText, Qt::white);
    const QColor greyed = Greyed(text, window);
    for (const auto role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::HighlightedText})
        palette.setColor(QPalette::Disabled, role, greyed);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xF4, 0xF4, 0xF4));
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    return palette;
}

} // namespace

int ApplicationLook::Stored()
{
    bool ok = false;
    const int look = QSettings().value(kSettingsKey, kDefault).toInt(&ok);
    return ok ? look : kDefault;
}

void ApplicationLook::Store(int look)
{
    QSettings().setValue(kSettingsKey, look);
}

QString ApplicationLook::StyleName(int look)
{
    // Asked every time, so the platform's style is remembered before the first install.
    const QString platform = PlatformStyleName();
    return look == 212 ? platform : kFusion;
}

QPalette ApplicationLook::Palette(int look)
{
    switch (look) {
    case 210: // classic grey
        return Tinted({0xD4, 0xD0, 0xC8}, {0xD4, 0xD0, 0xC8}, Qt::black, {0x0A, 0x24, 0x6A});
    case 211: // light beige
        return Tinted({0xEC, 0xE9, 0xD8}, {0xF5, 0xF4, 0xEA}, Qt::black, {0x31, 0x6A, 0xC5});
    case 212: {
        QStyle *style = QStyleFactory::create(PlatformStyleName());
        const QPalette palette = style ? style->standardPalette() : QPalette();
        delete style;
        return palette;
    }
    case 213: // pale blue
        return Tinted({0xC3, 0xDA, 0xF9}, {0xDD, 0xEC, 0xFE}, Qt::black, {0x31, 0x6A, 0xC5});
    case 215: // office blue
        return Tinted({0xBF, 0xDB, 0xFF}, {0xD5, 0xE5, 0xFA}, {0x15, 0x42, 0x8B},
                      {0x3D, 0x7B, 0xD1});
    case 216: // office black
        return Tinted({0x53, 0x53, 0x53}, {0x6A, 0x6A, 0x6A}, Qt::white, {0x8C, 0x8C, 0x8C});
    case 217: // office silver
        return Tinted({0xD0, 0xD4, 0xDD}, {0xE4, 0xE7, 0xEE}, {0x3B, 0x3B, 0x3B},
                      {0x6E, 0x7F, 0x9C});
    case 218: // office aqua
        return Tinted({0xCB, 0xDA, 0xEB}, {0xE0, 0xEB, 0xF5}, {0x1F, 0x3B, 0x53},
                      {0x4D, 0x8F, 0xB8});
    default: // 214, the warm light grey
        return Tinted({0xEE, 0xED, 0xE5}, {0xF7, 0xF6, 0xF0}, Qt::black, {0x31, 0x69, 0xC6});
    }
}

void ApplicationLook::Install(int look)
{
    const QString name = StyleName(look);
    if (QApplication::style()->name().compare(name, Qt::CaseInsensitive) != 0) {
        if (QStyle *style = QStyleFactory::create(name))
            QApplication::setStyle(style);
    }
    QApplication::setPalette(Palette(look));
}
