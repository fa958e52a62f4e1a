// The text that describes the last network error of the calling thread.
// The network code records each failure of the HTTP client (a libcurl code,
// with the client's own description of the case) on the thread that met it;
// LastNetErrorText turns it into the program's error text.
#pragma once

#include <string>

namespace kestrova {

// Records a failure for the calling thread: the client's code (0 clears it)
// and an optional detail, e.g. the client's error buffer or an HTTP status.
void SetLastNetError(int code, const std::string& detail = {});

// The calling thread's last error as
// "Erreur N° / Error N# " + code + " : " + description, the description being
// the client's text for the code followed by the detail in parentheses;
// "Erreur N° / Error N# " + code alone when the client has no text for it;
// "" when no error was recorded (code 0). Codes are written in decimal.
std::string LastNetErrorText();

// The same text for a given code and detail.
std::string NetErrorText(int code, const std::string& detail);

// What a user is told about a failed transfer, whatever the protocol.
enum class NetFailure {
    None,
    HostNotFound,  // the name does not resolve
    Refused,       // nothing listens, or the connection was refused
    TimedOut,      // connect, inactivity or overall limit reached
    Certificate,   // the TLS certificate was not accepted
    HttpStatus,    // the server answered with an HTTP error status
    LoginRefused,  // the server refused the login or password (FTP 530)
    TooLarge,      // the answer is larger than the limit
    Other,
};

// The kind of failure behind a client code (0 is None).
NetFailure ClassifyNetError(int code);

// The user's sentence for a failure, in the language of the interface,
// ending with a full stop: `status` is the HTTP status for HttpStatus,
// `limit` the size limit in bytes for TooLarge and `detail` the client's
// description for Other.
std::string NetFailureSentence(NetFailure kind, long status = 0, long long limit = 0, const std::string& detail = {});

// "Unable to open WHERE: SENTENCE (Erreur N° / Error N# CODE)", in the
// language of the interface; the code part is left out when code is 0.
std::string NetFailureMessage(const std::string& where, NetFailure kind, int code, long status = 0, long long limit = 0,
                              const std::string& detail = {});

}  // namespace kestrova
