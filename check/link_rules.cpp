// The rules of images and links: alternative texts, files that are not
// there, empty links, addresses of this machine, anchors; and the links
// the site-wide rules follow.
#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "base/codec.h"
#include "base/unicode_text.h"
#include "check/page_check.h"
#include "check/site_adapter.h"
#include "check/tag_reader.h"

namespace kestrova::check {

namespace {

// "http:", "mailto:", "//host": an address with a scheme or a host, which
// no local file answers.
bool HasSchemeOrHost(const std::string& target)
{
    if (target.starts_with("//"))
        return true;
    for (std::size_t i = 0; i < target.size(); ++i) {
        const char c = target[i];
        if (c == ':')
            return i > 0;
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other))
            return false;
    }
    return false;
}

// An address that only this machine answers.
bool IsLocalMachine(const std::string& target)
{
    const std::string lower = LowerAscii(target);
    if (lower.starts_with("file:"))
        return true;
    std::size_t hostStart;
    if (lower.starts_with("http://"))
        hostStart = 7;
    else if (lower.starts_with("https://"))
        hostStart = 8;
    else if (lower.starts_with("//"))
        hostStart = 2;
    else
        return false;
    std::string host = lower.substr(hostStart, lower.find_first_of("/?#", hostStart) - hostStart);
    if (const std::size_t at = host.rfind('@'); at != std::string::npos)
        host.erase(0, at + 1);
    if (host.starts_with("[")) {
        host = host.substr(0, host.find(']') + 1);
    } else if (const std::size_t colon = host.find(':'); colon != std::string::npos) {
        host.erase(colon);
    }
    return host == "localhost" || host.ends_with(".localhost") || host.starts_with("127.") || host == "[::1]" ||
           host == "0.0.0.0";
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A local reference cut into its path (file-system bytes, percent escapes
// decoded) and its fragment.
struct LocalReference {
    std::string Path;
    std::string Fragment;
    bool HasFragment = false;
};

LocalReference CutReference(const std::string& target, bool utf8Page)
{
    LocalReference ref;
    std::string rest = target;
    if (const std::size_t hash = rest.find('#'); hash != std::string::npos) {
        ref.HasFragment = true;
        ref.Fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }
    if (const std::size_t query = rest.find('?'); query != std::string::npos)
        rest.erase(query);
    const std::string bytes = utf8Page ? EncodeUtf8PageText(rest) : Cp1252ToUtf8(rest);
    ref.Path = PercentDecoded(bytes);
    return ref;
}

// The path with its "." and ".." steps and doubled separators resolved
// (as lexically_normal does, without its cost: it runs for every link).
std::string NormalPath(const std::string& path)
{
    std::vector<std::string_view> parts;
    std::string_view rest(path);
    const bool absolute = !rest.empty() && rest.front() == '/';
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
            continue;
        }
        parts.push_back(part);
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '/';
        out += parts[i];
    }
    return out;
}

// The file a local path of the page names: from the site's root when it
// starts with "/", else from the page's folder.
std::string FileOf(const SiteIndex& site, const std::string& pagePath, const std::string& path)
{
    if (path.starts_with("/"))
        return NormalPath(site.Root + path);
    return NormalPath(pagePath.substr(0, pagePath.rfind('/') + 1) + path);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

void CheckImagesAndLinks(const SiteIndex& site, int index, const PageFacts& facts, FindingSink& sink,
                         PageOutcome& outcome)
{
    const std::string& pagePath = site.Paths[static_cast<std::size_t>(index)];

    int imageIndex = 0;
    for (const PageFacts::Image& image : facts.Images) {
        const int thisImage = imageIndex++;
        const std::string shown = image.HasSource ? image.Source : std::string();
        if (!image.HasAlt)
            if (Finding* f =
                    sink.Add("img-alt-missing", image.At, Say("Image sans texte alternatif : %1", {shown}), shown))
                f->ImageIndex = thisImage;
        if (!image.HasSource || image.Source.empty() || LowerAscii(image.Source).starts_with("data:"))
            continue;
        if (IsLocalMachine(image.Source)) {
            if (Finding* f = sink.Add("link-local-machine", image.At,
                                      Say("Adresse de cette machine seulement : %1", {image.Source}), shown))
                f->ImageIndex = thisImage;
            continue;
        }
        if (HasSchemeOrHost(image.Source) || !sink.On("img-file-missing"))
            continue;
        const LocalReference ref = CutReference(image.Source, facts.Utf8);
        if (ref.Path.empty())
            continue;
        const std::string file =
            ref.Path.starts_with("/") ? FileOf(site, pagePath, ref.Path) : ImageFileOf(pagePath, ref.Path);
        if (!file.empty() && !Exists(file))
            if (Finding* f = sink.Add("img-file-missing", image.At,
                                      Say("Fichier image introuvable : %1", {image.Source}), shown))
                f->ImageIndex = thisImage;
    }

    for (const PageFacts::Link& link : facts.Links) {
        if (IsLocalMachine(link.Target)) {
            sink.Add("link-local-machine", link.At, Say("Adresse de cette machine seulement : %1", {link.Target}));
            continue;
        }
        if (link.Tag == "link")
            continue;  // style sheets and the like: only the address above
        if (link.Target.empty() || link.Target == "#") {
            sink.Add("link-empty", link.At, Say("Lien vide"));
            continue;
        }
        if (HasSchemeOrHost(link.Target))
            continue;
        const LocalReference ref = CutReference(link.Target, facts.Utf8);
        if (ref.Path.empty()) {
            // "#id" on this page.
            if (ref.HasFragment && !ref.Fragment.empty() && !facts.Anchors.contains(ref.Fragment))
                sink.Add("link-fragment-missing", link.At, Say("Lien vers une ancre absente : %1", {link.Target}));
            continue;
        }
        const std::string file = FileOf(site, pagePath, ref.Path);
        bool exists = false;
        const int target = site.PageOf(file, &exists);
        if (!exists) {
            sink.Add("link-broken", link.At, Say("Lien vers un fichier introuvable : %1", {link.Target}));
            continue;
        }
        if (target < 0)
            continue;
        if (target != index)
            outcome.LinkedPages.push_back(target);
        if (ref.HasFragment && !ref.Fragment.empty()) {
            if (target == index) {
                if (!facts.Anchors.contains(ref.Fragment))
                    sink.Add("link-fragment-missing", link.At, Say("Lien vers une ancre absente : %1", {link.Target}));
            } else {
                outcome.FragmentLinks.push_back({target, static_cast<std::uint32_t>(outcome.Hrefs.size()),
                                                 static_cast<std::uint32_t>(link.Target.size()),
                                                 PageOutcome::AnchorHash(ref.Fragment), link.At});
                outcome.Hrefs += link.Target;
            }
        }
    }
}

}  // namespace kestrova::check
