#pragma once
// The document list's decisions that need no widget: which uploads it takes, which tiles a page
// shows and how large the tile area is, what the name search matches, and the size texts.

#include <QList>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace doclist
{

constexpr int kMaxFiles = 50;
constexpr int kTilesPerPage = 8;
constexpr int kTilesPerRow = 4;
// Uploads must stay below these sizes (50 MB and 100 MB, each plus a kilobyte of slack).
constexpr qint64 kPictureLimit = 50 * 1048576LL + 1024;
constexpr qint64 kDocumentLimit = 100 * 1048576LL + 1024;

// Tile kinds.
constexpr int kKindDocument = 1;
constexpr int kKindPicture = 2;

// 1 (document) when the file's suffix holds "doc", "ppt" or "pdf", else 2 (picture) when it holds
// "png" or "jpg", else 1; any letter case. The suffix is the text after the name's last dot.
int tileKind(const QString& fileName);
// The suffix holds "png" or "jpg" (any case): the upload is measured against the picture limit.
bool isPictureSuffix(const QString& suffix);

enum class UploadVerdict { Accept, Empty, PictureTooLarge, DocumentTooLarge, TooMany, NameTaken };
// The upload checks in their order: an existing empty file, the size limit of its kind, the
// number of files, a tile of the same name.
UploadVerdict checkUpload(bool exists, qint64 size, const QString& suffix, int fileCount, bool nameTaken);

// Pages for n tiles (at least 1).
int pageCount(int tiles);
// Of n tiles in list order (oldest first), the indices that page `page` (from 1) shows, newest
// first, at most eight.
QList<int> pageIndices(int tiles, int page);
// The tile area for m tiles from the page on: one row of 1-4 tiles, or two rows.
QSize tileAreaSize(int tilesFromPage);

// The name search: the part of the name before its first "." holds the text, any letter case. A
// name with nothing before its first "." matches no text.
bool nameMatches(const QString& name, const QString& text);

} // namespace doclist

// A byte count as the tiles show it: "1023b", "2KB", "50MB", "1TB" (no decimals).
QString formatFileSize(qint64 bytes);
