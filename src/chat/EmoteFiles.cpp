#include "chat/EmoteFiles.h"

#include "chat/MessageSegment.h"
#include "core/ImageUtils.h"

#include <QMutex>
#include <QStandardPaths>

namespace
{
QMutex g_folderMutex;
QString g_folder; // guarded by g_folderMutex; empty: the default
} // namespace

QString EmoteFiles::folder()
{
    {
        QMutexLocker lock(&g_folderMutex);
        if (!g_folder.isEmpty())
            return g_folder;
    }
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/resource/emotes");
}

void EmoteFiles::setFolder(const QString& folder)
{
    QMutexLocker lock(&g_folderMutex);
    g_folder = folder;
}

QString EmoteFiles::fileName(int number)
{
    return QStringLiteral("_em_%1.png").arg(number);
}

QString EmoteFiles::filePath(int number)
{
    return folder() + QLatin1Char('/') + fileName(number);
}

QString EmoteFiles::address(int number)
{
    return chatlabel::emotePictureUrl(false, QString::number(number));
}

QString EmoteFiles::code(int number)
{
    return QStringLiteral("[_em_%1]").arg(number);
}

void EmoteFiles::fetchToCache(int number, const std::atomic_bool* stop)
{
    ImageUtils::saveImageToLocal(address(number), folder(), fileName(number), {}, stop);
}
