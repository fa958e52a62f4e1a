#include "net/net_errors.h"

#include <curl/curl.h>

namespace kestrova {

namespace {

struct LastError {
    int Code = 0;
    std::string Detail;
};

thread_local LastError ThreadLastError;

}  // namespace

void SetLastNetError(int code, const std::string& detail)
{
    ThreadLastError.Code = code;
    ThreadLastError.Detail = code == 0 ? std::string() : detail;
}

std::string NetErrorText(int code, const std::string& detail)
{
    if (code == 0)
        return {};
    // "Erreur N° / Error N# "
    std::string text = "Erreur N\xB0 / Error N# " + std::to_string(code);
    const char* known = curl_easy_strerror(static_cast<CURLcode>(code));
    std::string description = known != nullptr ? known : "";
    if (!detail.empty() && detail != description)
        description += description.empty() ? detail : " (" + detail + ")";
    if (description.size() > 1)
        text += " : " + description;
    return text;
}

std::string LastNetErrorText()
{
    return NetErrorText(ThreadLastError.Code, ThreadLastError.Detail);
}

}  // namespace kestrova
