#include "core/AvatarReply.h"

#include <QString>

namespace solvek {

bool isAvatarContentType(const QVariant& contentTypeHeader)
{
    if (!contentTypeHeader.isValid())
        return false;
    const QString type = contentTypeHeader.toString();
    return type == "image/jpeg" || type == "image/png";
}

} // namespace solvek
