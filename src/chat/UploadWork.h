#pragma once
// One queued picture upload: the object key, the local file and the room it was chosen for.

#include <QDateTime>
#include <QString>

struct UploadWork {
    QString key;
    QString filename;
    qint64 roomId = 0;
    // A retry after refused credentials; a second refusal gives up.
    bool retried = false;

    // "Uploads/Advert/<room>/<yyyyMMdd>/<ms>.<ext>": the extension is the file name's suffix as
    // it is (case kept), or "png" when the name has none.
    static QString objectKey(qint64 roomId, const QString& path, const QDateTime& now);
    static QString extensionOf(const QString& path);
};
