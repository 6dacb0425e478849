#include "documents/DocumentCacheEntry.h"

#include <QStringList>

#include <algorithm>

QString DocumentCacheEntry::makeKey(const QString& baseName, const QString& extension, qint64 size)
{
    return QStringLiteral("%1_%2_%3_%4").arg(QLatin1String(kKeyPrefix), baseName, extension).arg(size);
}

void DocumentCacheEntry::splitSourcePath(const QString& path, QString* baseName, QString* extension)
{
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    *baseName = dot < 0 ? fileName : fileName.left(dot);
    *extension = dot < 0 ? QString() : fileName.mid(dot);
}

std::optional<DocumentCacheEntry> DocumentCacheEntry::fromKey(const QString& key, const QString& userDocDir)
{
    if (!isSafeKey(key))
        return std::nullopt;
    const QStringList parts = key.split(QLatin1Char('_'), Qt::KeepEmptyParts);
    if (parts.size() <= 3)
        return std::nullopt;
    DocumentCacheEntry entry;
    entry.key = key;
    entry.size = parts.last().toLongLong();
    entry.extension = parts.at(parts.size() - 2);
    entry.baseName = parts.mid(1, parts.size() - 3).join(QLatin1Char('_'));
    entry.pageDir = pageDirFor(userDocDir, key);
    return entry;
}

bool DocumentCacheEntry::isSafeKey(const QString& key)
{
    if (key.isEmpty() || key.contains(QLatin1Char('/')) || key.contains(QLatin1Char('\\')))
        return false;
    return !std::all_of(key.cbegin(), key.cend(), [](QChar c) { return c == QLatin1Char('.'); });
}

QString DocumentCacheEntry::pageDirFor(const QString& userDocDir, const QString& key)
{
    return userDocDir + QLatin1Char('/') + key;
}

QString DocumentCacheEntry::pagePath(const QString& pageDir, int index)
{
    return pageDir + QStringLiteral("/pic%1.png").arg(index);
}

bool DocumentCacheEntry::isPictureExtension(const QString& extension)
{
    const auto has = [&](const char* s) { return extension.contains(QLatin1String(s), Qt::CaseInsensitive); };
    return (has("png") || has("jpg")) && !has("doc") && !has("ppt") && !has("pdf");
}
