#include "base/window_geometry.h"

namespace kestrova {

WindowGeometry AskedWindowGeometry(const std::string& settingsText)
{
    WindowGeometry asked;
    asked.InnerWidth = ReadSettingInt(settingsText, "LargeurFenetre", 712);
    asked.InnerHeight = ReadSettingInt(settingsText, "HauteurFenetre", 600);
    asked.X = ReadSettingInt(settingsText, "PosFenetreX", -1);
    asked.Y = ReadSettingInt(settingsText, "PosFenetreY", -1);
    return asked;
}

WindowGeometry GeometryToSave(const WindowGeometry& asked, const WindowGeometry& given, const WindowGeometry& now)
{
    WindowGeometry saved = now;
    if (now.InnerWidth == given.InnerWidth && now.InnerHeight == given.InnerHeight) {
        saved.InnerWidth = asked.InnerWidth;
        saved.InnerHeight = asked.InnerHeight;
    }
    if (now.X == given.X && now.Y == given.Y) {
        saved.X = asked.X;
        saved.Y = asked.Y;
    }
    return saved;
}

}  // namespace kestrova
