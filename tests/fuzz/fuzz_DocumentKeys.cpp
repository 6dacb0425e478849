// libFuzzer target: arbitrary bytes as a saved document key (as a damaged settings file may hold
// one) and as a file name the converter makes a key of.
// Besides the sanitizers it checks what the document list relies on: a key read back names a
// folder directly inside the per-user folder; the folder a refused key takes with it is one of the
// per-user folder's own page folders; a made key stays within its bound and reads back as made.
#include "FuzzCheck.h"

#include "documents/DocumentCacheEntry.h"

#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <cstdlib>

namespace
{
const QString kUser = QStringLiteral("/home/u/userdoc/42");

bool directlyInside(const QString& folder)
{
    return QFileInfo(QDir::cleanPath(folder)).path() == kUser;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), int(size - 1));

    // A saved key.
    if (const auto entry = DocumentCacheEntry::fromKey(text, kUser)) {
        fuzz::check(entry->key == text && DocumentCacheEntry::isSafeKey(text));
        fuzz::check(directlyInside(entry->pageDir) && QDir::cleanPath(entry->pageDir) != kUser);
    }
    const QString own = DocumentCacheEntry::ownFolderOf(text, kUser);
    if (!own.isEmpty())
        fuzz::check(directlyInside(own) && QFileInfo(own).fileName().startsWith(QLatin1String("svpczsjz_")));

    // A file name (after the last "/" of a path) and its size.
    QString base, extension;
    DocumentCacheEntry::splitSourcePath(QStringLiteral("/in/") + text, &base, &extension);
    const qint64 fileSize = qint64(data[0]) << (data[0] % 40);
    const QString key = DocumentCacheEntry::makeKey(base, extension, fileSize);
    fuzz::check(key.toUtf8().size() <= DocumentCacheEntry::kMaxKeyBytes);
    const auto made = DocumentCacheEntry::fromKey(key, kUser);
    fuzz::check(made.has_value());
    fuzz::check(made->size == fileSize && made->key == key);
    fuzz::check(made->pageDir == kUser + QLatin1Char('/') + key);
    fuzz::check(DocumentCacheEntry::ownFolderOf(key, kUser) == made->pageDir);
    // Nothing but path separators and the cut changes the name; the extension keeps its kind.
    if (!base.contains(QLatin1Char('\\')) && made->baseName.size() == base.size())
        fuzz::check(made->baseName == base);
    if (extension.size() <= 8)
        fuzz::check(made->isPicture() == DocumentCacheEntry::isPictureExtension(extension));
    return 0;
}
