#include "documents/DocumentListRules.h"

namespace doclist
{

namespace
{
bool holds(const QString& text, const char* part)
{
    return text.contains(QLatin1String(part), Qt::CaseInsensitive);
}
} // namespace

int tileKind(const QString& fileName)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : fileName.mid(dot + 1);
    if (holds(suffix, "doc") || holds(suffix, "ppt") || holds(suffix, "pdf"))
        return kKindDocument;
    if (isPictureSuffix(suffix))
        return kKindPicture;
    return kKindDocument;
}

bool isPictureSuffix(const QString& suffix)
{
    return holds(suffix, "png") || holds(suffix, "jpg");
}

UploadVerdict checkUpload(bool exists, qint64 size, const QString& suffix, int fileCount, bool nameTaken)
{
    if (exists && size == 0)
        return UploadVerdict::Empty;
    if (isPictureSuffix(suffix)) {
        if (size >= kPictureLimit)
            return UploadVerdict::PictureTooLarge;
    } else if (size >= kDocumentLimit) {
        return UploadVerdict::DocumentTooLarge;
    }
    if (fileCount >= kMaxFiles)
        return UploadVerdict::TooMany;
    if (nameTaken)
        return UploadVerdict::NameTaken;
    return UploadVerdict::Accept;
}

int pageCount(int tiles)
{
    return qMax(1, (tiles + kTilesPerPage - 1) / kTilesPerPage);
}

QList<int> pageIndices(int tiles, int page)
{
    QList<int> indices;
    for (int k = 0; k < kTilesPerPage; ++k) {
        const int index = tiles - 1 - (page - 1) * kTilesPerPage - k;
        if (index < 0 || index >= tiles)
            break;
        indices << index;
    }
    return indices;
}

QSize tileAreaSize(int tilesFromPage)
{
    switch (tilesFromPage) {
    case 1:
        return QSize(182, 138);
    case 2:
        return QSize(374, 138);
    case 3:
        return QSize(566, 138);
    case 4:
        return QSize(760, 138);
    default:
        return QSize(760, 286);
    }
}

bool nameMatches(const QString& name, const QString& text)
{
    const int dot = name.indexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    return !stem.isEmpty() && stem.contains(text, Qt::CaseInsensitive);
}

} // namespace doclist

QString formatFileSize(qint64 bytes)
{
    const double value = double(bytes);
    const struct {
        double unit;
        const char* name;
    } units[] = {{1099511627776.0, "TB"}, {1073741824.0, "GB"}, {1048576.0, "MB"}, {1024.0, "KB"}};
    for (const auto& u : units)
        if (value >= u.unit)
            return QString::number(value / u.unit, 'f', 0) + QLatin1String(u.name);
    return QString::number(value, 'f', 0) + QLatin1Char('b');
}
