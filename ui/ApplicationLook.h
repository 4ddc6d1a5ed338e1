#pragma once

#include <QPalette>
#include <QString>

// The window's looks, numbered 210 to 218 as they are stored: five plain
// looks (212 follows the platform's own style) and four tinted office looks
// (215 blue, 216 black, 217 silver, 218 aqua). The number is kept per user
// as "ApplicationLook".
class ApplicationLook
{
public:
    static constexpr int kFirst = 210;
    static constexpr int kLast = 218;
    static constexpr int kDefault = 214;
    static constexpr int kFirstOffice = 215;
    // The settings key the look is stored under.
    static const char *const kSettingsKey;

    // The look in the user's settings; 214 when none is stored.
    static int Stored();
    static void Store(int look);

    static bool IsKnown(int look) { return look >= kFirst && look <= kLast; }
    // The widget style of a known look: Fusion, or the platform's own for 212.
    static QString StyleName(int look);
    // The colours of a known look; 212 takes the platform style's own.
    static QPalette Palette(int look);
    // Installs the style and palette of a known look on the whole application.
    static void Install(int look);
};
