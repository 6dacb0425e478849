#pragma once
// The login panels open the registration, password-reset and service-terms pages in the system's
// browser. Tests replace the opener so that no browser starts.

#include <QUrl>

#include <functional>

namespace solvek
{

using UrlOpener = std::function<bool(const QUrl&)>;

// Opens the address with the current opener (QDesktopServices::openUrl unless replaced).
bool openLoginLink(const QUrl& url);

// Replaces the opener; an empty function restores QDesktopServices::openUrl.
void setLoginLinkOpener(UrlOpener opener);

} // namespace solvek
