#include "chat/UploadWork.h"

#include <QFileInfo>

QString UploadWork::extensionOf(const QString& path)
{
    // Only the file name counts: a dot in a folder name is not an extension.
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot >= 1 ? name.mid(dot + 1) : QString();
    return ext.isEmpty() ? QStringLiteral("png") : ext;
}

QString UploadWork::objectKey(qint64 roomId, const QString& path, const QDateTime& now)
{
    return QStringLiteral("Uploads/Advert/%1/%2/%3.%4")
        .arg(roomId)
        .arg(now.toString(QStringLiteral("yyyyMMdd")))
        .arg(now.toMSecsSinceEpoch())
        .arg(extensionOf(path));
}
