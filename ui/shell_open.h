// Opening a file, a web address or a mail address with the user's default
// program, through one function that window tests can intercept.
#pragma once

#include <QUrl>
#include <functional>
#include <string>

namespace kestrova::ui {

// When set, OpenExternal calls it instead of the desktop services (window
// tests record the addresses here rather than start a browser).
extern std::function<bool(const QUrl&)> OpenUrlHook;

// Opens the address with the default program. Returns false when nothing
// could be started; callers of the small windows do not report it.
bool OpenExternal(const QUrl& url);

// The same for an address held as Windows-1252 text ("http://...",
// "mailto:...").
bool OpenAddress(const std::string& address);

}  // namespace kestrova::ui
