#include "login/LoginLinks.h"

#include <QDesktopServices>

namespace solvek
{
namespace
{
UrlOpener& opener()
{
    static UrlOpener fn;
    return fn;
}
} // namespace

bool openLoginLink(const QUrl& url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

void setLoginLinkOpener(UrlOpener fn)
{
    opener() = std::move(fn);
}

} // namespace solvek
