#include "documents/DocumentCacheEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace
{
// `text` as a part of a key: path separators become "_" in the name, and "-" in an extension, where
// the key's own separator "_" becomes "-" too; cut at a character so that its UTF-8 form stays
// within maxBytes.
QString keyPart(const QString& text, bool extension, int maxBytes)
{
    QString out;
    int bytes = 0;
    for (int i = 0; i < text.size(); ++i) {
        QString c = text.mid(i, text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1);
        i += c.size() - 1;
        if (c == QLatin1String("/") || c == QLatin1String("\\") || (extension && c == QLatin1String("_")))
            c = extension ? QStringLiteral("-") : QStringLiteral("_");
        bytes += c.toUtf8().size();
        if (bytes > maxBytes)
            break;
        out += c;
    }
    return out;
}
} // namespace

QString DocumentCacheEntry::makeKey(const QString& baseName, const QString& extension, qint64 size)
{
    const QString sizeText = QString::number(size);
    const QString ext = keyPart(extension, true, kMaxExtensionBytes);
    const int nameBytes =
        kMaxKeyBytes - int(qstrlen(kKeyPrefix)) - 3 - int(ext.toUtf8().size()) - int(sizeText.size());
    return QStringLiteral("%1_%2_%3_%4")
        .arg(QLatin1String(kKeyPrefix), keyPart(baseName, false, nameBytes), ext, sizeText);
}

QString DocumentCacheEntry::ownFolderOf(const QString& key, const QString& userDocDir)
{
    if (userDocDir.isEmpty() || key.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(pageDirFor(userDocDir, key));
    const QFileInfo info(folder);
    if (QDir::cleanPath(info.path()) != QDir::cleanPath(userDocDir) ||
        !info.fileName().startsWith(QLatin1String(kKeyPrefix) + QLatin1Char('_')))
        return QString();
    return folder;
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
