#pragma once
// Pictures the service names for the sub-account login (the QR code, the accounts' avatars),
// fetched without blocking: a reply arriving while a card list is being built or replaced must
// not run in the middle of it, as it would in a nested event loop.

#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

class QObject;

namespace solvek
{

// Starts fetching the picture at `address` when it is an http(s) address that may be fetched
// (ImageUtils::isRoomPictureAddress: never a file, nothing on the host's own network but the
// service's hosts) and returns true; `done` then gets the picture, or the fallback picture when
// the fetch or the decoding fails, unless `context` is gone by then. Returns false, calling
// nothing, for any other address. The picture is decoded off the window's thread, no larger than
// needed to fill `shownSize` (when given).
bool fetchLoginPicture(const QString& address, QObject* context, std::function<void(const QPixmap&)> done,
                       const QSize& shownSize = QSize());

} // namespace solvek
