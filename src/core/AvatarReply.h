#pragma once
// The rules of the host's avatar request, which the title bar (src/shell/) and the host's tile in
// the co-host strip (src/cohost/) both make: the reply's picture is used only for an exact picture
// content type, the reply may be this large, and the transfer may stall this long.
#include "core/PictureLimits.h"

#include <QVariant>
#include <QtGlobal>

namespace solvek {

// The avatar reply is used only for these exact content types (no parameters).
bool isAvatarContentType(const QVariant& contentTypeHeader);

// The avatar request: its largest reply, and how long it may transfer nothing.
constexpr qint64 kMaxAvatarReplyBytes = PictureLimits::kMaxAvatarBytes;
constexpr int kAvatarTimeoutMs = 30000;

} // namespace solvek
