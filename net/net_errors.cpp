#include "net/net_errors.h"

#include <curl/curl.h>

#include "base/translate.h"

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

NetFailure ClassifyNetError(int code)
{
    switch (code) {
        case CURLE_OK:
            return NetFailure::None;
        case CURLE_COULDNT_RESOLVE_HOST:
            return NetFailure::HostNotFound;
        case CURLE_COULDNT_CONNECT:
            return NetFailure::Refused;
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_FTP_ACCEPT_TIMEOUT:
            return NetFailure::TimedOut;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return NetFailure::Certificate;
        case CURLE_HTTP_RETURNED_ERROR:
            return NetFailure::HttpStatus;
        case CURLE_LOGIN_DENIED:
            return NetFailure::LoginRefused;
        case CURLE_FILESIZE_EXCEEDED:
            return NetFailure::TooLarge;
        default:
            return NetFailure::Other;
    }
}

std::string NetFailureSentence(NetFailure kind, long status, long long limit, const std::string& detail)
{
    switch (kind) {
        case NetFailure::None:
            return {};
        case NetFailure::HostNotFound:
            // le serveur est introuvable (nom d'hôte inconnu).
            return TranslateFrenchKey("le serveur est introuvable (nom d'h\xF4te inconnu).");
        case NetFailure::Refused:
            // le serveur a refusé la connexion.
            return TranslateFrenchKey("le serveur a refus\xE9 la connexion.");
        case NetFailure::TimedOut:
            // le serveur ne répond pas (délai dépassé).
            return TranslateFrenchKey("le serveur ne r\xE9pond pas (d\xE9lai d\xE9pass\xE9).");
        case NetFailure::Certificate:
            // le certificat du serveur est refusé.
            return TranslateFrenchKey("le certificat du serveur est refus\xE9.");
        case NetFailure::HttpStatus:
            // le serveur a répondu par l'erreur HTTP N.
            return TranslateFrenchKey("le serveur a r\xE9pondu par l'erreur HTTP ") + std::to_string(status) + ".";
        case NetFailure::LoginRefused:
            return TranslateFrenchKey("le serveur refuse l'identifiant ou le mot de passe (530).");
        case NetFailure::TooLarge:
            // la page dépasse la taille maximale de N octets (réglage MaxPageSize de Kestrova.prefs).
            return TranslateFrenchKey("la page d\xE9passe la taille maximale de ") + std::to_string(limit) +
                   TranslateFrenchKey(" octets (r\xE9glage MaxPageSize de Kestrova.prefs).");
        case NetFailure::Other:
            break;
    }
    // erreur réseau
    std::string text = TranslateFrenchKey("erreur r\xE9seau");
    if (!detail.empty())
        text += " : " + detail;
    return text + ".";
}

std::string NetFailureMessage(const std::string& where, NetFailure kind, int code, long status, long long limit,
                              const std::string& detail)
{
    std::string text =
        TranslateFrenchKey("Impossible d'ouvrir ") + where + " : " + NetFailureSentence(kind, status, limit, detail);
    if (code != 0)
        text += " (Erreur N\xB0 / Error N# " + std::to_string(code) + ")";
    return text;
}

}  // namespace kestrova
