// The about window, and the help command.
#pragma once

#include <string>

class QWidget;

namespace kestrova {

// The program's version.
inline constexpr const char* ProgramVersion = "1.37b";

// Date and time of the build that the about window shows.
struct BuildStamp {
    int Day = 15;
    int Month = 6;
    int Year = 2006;
    int Hour = 16;
    int Minute = 32;
    int Second = 12;
};
inline constexpr BuildStamp ProgramBuildStamp{};

// Fills "%dd", "%mm", "%yyyy", "%hh", "%ii" and "%ss" of the pattern (two
// digits each, four for the year).
std::string FormatBuildStamp(const std::string& pattern, const BuildStamp& stamp);

// The about window's text (Windows-1252): name and version with the
// notices, the build line and the invitation to check for a newer version.
std::string AboutText();

// The about window, modal over `parent`.
void ShowAboutDialog(QWidget* parent);

// The help page of the interface language, relative to the working folder.
std::string HelpPagePath();

}  // namespace kestrova
