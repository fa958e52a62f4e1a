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

}  // namespace kestrova
