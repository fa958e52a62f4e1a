#include "net/banner.h"

#include "base/app_state.h"
#include "base/settings.h"
#include "base/translate.h"

namespace kestrova {

BannerPictureSet BannerPictures = BannerPicturesFor(LanguageEnglish);

BannerPictureSet BannerPicturesFor(const std::string& language)
{
    if (language == LanguageFrench)
        return {"banner_fr.jpg", "strip_fr.gif", 2698};
    return {"banner_en.jpg", "strip_en.gif", 3171};
}

void LoadBannerPictures()
{
    BannerPictures = BannerPicturesFor(App.Language);
}

int NextBannerOffset(int offset, int stripHeight)
{
    ++offset;
    if (offset > stripHeight - BannerStripSpan)
        offset = 0;
    return offset;
}

bool ReadGifSize(const std::string& header, int& width, int& height)
{
    if (header.size() < 10 || header.compare(0, 3, "GIF") != 0)
        return false;
    const auto byte = [&header](std::size_t i) { return static_cast<unsigned char>(header[i]); };
    width = byte(6) | (byte(7) << 8);
    height = byte(8) | (byte(9) << 8);
    return true;
}

std::string BannerSiteAddress()
{
    return MakerSiteAddress(App.Language == LanguageFrench);
}

}  // namespace kestrova
