#include "analysis/online_page.h"

#include <cctype>
#include <filesystem>

#include "base/address_text.h"
#include "base/file_io.h"
#include "base/program_folders.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "page/page_state.h"

namespace kestrova {

bool IsOnlineAddress(const std::string& path)
{
    return path.compare(0, 4, "http") == 0;
}

bool NormaliseOnlineAddress(std::string& answer)
{
    if (answer == "http://")
        return false;
    if (answer.find("http") == std::string::npos)
        answer = "http://" + answer;
    std::string front = answer.substr(0, 14);
    for (char& c : front)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (front == "http://http://")
        answer.erase(0, 7);
    return true;
}

std::string NormaliseLineEnds(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF, a lone CR and a lone LF are each one line end.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

AnalysisResult AnalyseOnlinePage(const PageFetcher& fetch)
{
    Page.KeywordAccentsBad = false;
    Page.PageTitle.clear();
    const std::string address = Page.CurrentPagePath;
    Page.PageReadOnly = true;

    const std::string text = fetch(address);
    bool kept = false;
    if (!text.empty()) {
        kept = ReplaceFileContent(TempPageFilePath(), NormaliseLineEnds(text), 0644);
        Page.CurrentPagePath = TempPageFilePath();
    }
    if (!kept) {
        Page.CurrentPagePath.clear();
        std::string message = TranslateFrenchKey("Impossible de lire l'URL fournie !");
        if (!text.empty()) {
            // The page came, but the working folder does not take it.
            std::error_code ec;
            const std::string folder = std::filesystem::current_path(ec).string();
            message = TranslateFrenchKey("La page a \xE9t\xE9 lue, mais temp.htm ne peut pas \xEAtre \xE9"
                                         "crit dans ") +
                      folder;
        }
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Attention !"), message);
    }
    // The address names the page in the caption and the export, without
    // any password written in it.
    AnalysisResult result = AnalyseCurrentPage(WithoutPassword(address));
    // Nothing on an online page can be edited, whatever was selected before.
    result.Buttons.ModifySentence = ButtonChange::Disable;
    return result;
}

}  // namespace kestrova
