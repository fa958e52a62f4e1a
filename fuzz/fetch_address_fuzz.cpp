// Fuzz target for the cleaning of a fetch address (ParseFetchAddress). For
// any text:
//  - cleaning is idempotent: the cleaned URL cleans to itself, with the same
//    host, path and kind;
//  - an address that names http:// or https:// is never read as a local
//    file, and its URL keeps that scheme;
//  - a web URL is its scheme, host and path; the host holds no "/" or "\";
//  - the URL holds no space, no double quote, no backslash and, between its
//    scheme and its query or fragment, no "//".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "net/http_fetch.h"

using namespace kestrova;

namespace {

constexpr fuzz::Checker Check{"fetch_address_fuzz"};

bool BeginsNoCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::string SchemeOf(const std::string& url)
{
    for (const char* s : {"http://", "https://", "file://"})
        if (url.rfind(s, 0) == 0)
            return s;
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string address(reinterpret_cast<const char*>(data), size);
    const FetchTarget first = ParseFetchAddress(address);

    const std::string scheme = SchemeOf(first.Url);
    Check(!scheme.empty(), "a URL without http://, https:// or file://");
    Check(first.LocalFile == (scheme == "file://"), "the kind and the scheme of the URL differ");
    if (!first.LocalFile) {
        Check(first.Url == scheme + first.Host + first.Path, "a web URL that is not scheme + host + path");
        Check(first.Host.find_first_of("/\\") == std::string::npos, "a host holding a slash");
        Check(first.Path.empty() || std::string("/?#").find(first.Path.front()) != std::string::npos,
              "a path that does not begin with /, ? or #");
    }
    const std::string rest = first.Url.substr(scheme.size());
    Check(first.Url.find_first_of(" \"\\") == std::string::npos, "a URL holding a space, quote or backslash");
    // (A query or fragment may hold a whole address: it is left as it is.)
    Check(rest.substr(0, rest.find_first_of("?#")).find("//") == std::string::npos,
          "a URL holding // after its scheme");

    // An address that names a web scheme stays on the web.
    const std::string unquoted = !address.empty() && address.front() == '"' ? address.substr(1) : address;
    if (BeginsNoCase(unquoted, "http://") || BeginsNoCase(unquoted, "https://")) {
        Check(!first.LocalFile, "an http(s) address read as a local file");
        Check(scheme == (BeginsNoCase(unquoted, "https://") ? "https://" : "http://"), "the web scheme changed");
    }

    const FetchTarget again = ParseFetchAddress(first.Url);
    Check(again.Url == first.Url, "cleaning twice changes the URL");
    Check(again.LocalFile == first.LocalFile, "cleaning twice changes the kind");
    if (!first.LocalFile)
        Check(again.Host == first.Host && again.Path == first.Path, "cleaning twice changes host or path");
    return 0;
}
