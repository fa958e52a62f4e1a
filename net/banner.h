// The advertising banner of the main window: which pictures it shows, how
// far its strip has scrolled, and where a click leads. The gadgets themselves
// are the main window's (app/banner_view.h).
#pragma once

#include <string>

namespace kestrova {

// Sizes of the banner, in pixels.
inline constexpr int BannerStillWidth = 425;  // still picture
inline constexpr int BannerHeight = 90;       // still picture and strip view
inline constexpr int BannerStripWidth = 254;  // scrolling strip
inline constexpr int BannerStripSpan = 180;   // strip rows shown at a time (scaled to 90)
inline constexpr int BannerStripGap = 10;     // between the still picture and the strip
inline constexpr int BannerCaptionX = 70;     // caption button inside the still picture
inline constexpr int BannerCaptionY = 69;
inline constexpr int BannerCaptionHeight = 18;

// One language's pictures: resource file names and the strip's height.
struct BannerPictureSet {
    const char* Still = "";  // JPEG, 425 x 90
    const char* Strip = "";  // GIF, 254 wide
    int StripHeight = 0;
};

// The French set for "Français", the English set for any other language.
BannerPictureSet BannerPicturesFor(const std::string& language);

// The set chosen at start by LoadBannerPictures (English until then).
extern BannerPictureSet BannerPictures;

// Chooses the banner pictures of the interface language. Called at start
// when the banner is on and this is not a first start, and again before the
// banner is shown after a change of preferences.
void LoadBannerPictures();

// One scroll step: the offset moves down the strip by one row and starts
// again at 0 once it would pass the strip height - 180 (the last full view).
int NextBannerOffset(int offset, int stripHeight);

// Width and height of a GIF picture from its header (two 16-bit little-endian
// numbers at bytes 6 and 8). False when the text is not a GIF header.
bool ReadGifSize(const std::string& header, int& width, int& height);

// The address a click on the banner opens: the maker's French page for
// "Français", its home page otherwise.
std::string BannerSiteAddress();

}  // namespace kestrova
