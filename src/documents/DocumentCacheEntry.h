#pragma once
// The cached form of one converted document: its key, its page folder and the page pictures in it.
//
// A key is "svpczsjz_" + base name + "_" + extension with its dot + "_" + size in bytes, for
// example "svpczsjz_Q3 plan_.pptx_20480". The page folder is the per-user folder + "/" + key and
// holds "pic0.png" .. "pic<n-1>.png" (a picture has only "pic0.png", which is also the thumbnail).
// The per-user list of keys lives in the settings file (CDataCenter::getDocInfoList and
// setDocInfoValue); only the key is stored, everything else is read back from it here.

#include <QString>
#include <QtGlobal>

#include <optional>

struct DocumentCacheEntry {
    QString key;
    QString baseName;  // the file name up to its last dot
    QString extension; // from the last dot, letter case kept (".pptx")
    qint64 size = 0;   // of the source, in bytes
    QString pageDir;   // per-user folder + "/" + key

    static constexpr const char kKeyPrefix[] = "svpczsjz";
    // A made key stays within this many bytes (UTF-8), well below the file system's 255 for a
    // folder name; the extension takes at most kMaxExtensionBytes of it.
    static constexpr int kMaxKeyBytes = 200;
    static constexpr int kMaxExtensionBytes = 32;

    // "svpczsjz_<baseName>_<extension>_<size>", made so that fromKey reads it back: a path
    // separator ("/" or "\") becomes "_" in the name and "-" in the extension, as does a "_" in
    // the extension, and the name is cut (at a character) to keep the key within kMaxKeyBytes.
    static QString makeKey(const QString& baseName, const QString& extension, qint64 size);

    // Splits a source path into base name and extension, both taken from the file name (the
    // text after the last "/"): a dot in a folder name never makes an extension, so a key never
    // holds a "/". A file name without a dot has an empty extension.
    static void splitSourcePath(const QString& path, QString* baseName, QString* extension);

    // A key that names a folder inside the per-user folder and nothing else: not empty, no path
    // separator, not made of dots only (a delete removes that folder with everything in it).
    static bool isSafeKey(const QString& key);

    // The folder a saved key names when it is one of the per-user folder's own page folders (a
    // folder directly inside it whose name starts with the key prefix), or empty. A key refused by
    // fromKey may still name one: it goes with the key.
    static QString ownFolderOf(const QString& key, const QString& userDocDir);

    // Reads a saved key back. Nothing for a key of three parts or fewer, and for a key that is not
    // safe (a damaged settings file must not point a page folder outside userDocDir).
    static std::optional<DocumentCacheEntry> fromKey(const QString& key, const QString& userDocDir);

    // Page folder of a key and the path of page `index` ("pic<index>.png") in a page folder.
    static QString pageDirFor(const QString& userDocDir, const QString& key);
    static QString pagePath(const QString& pageDir, int index);

    // base name + extension, as the document list names the document.
    QString fileName() const { return baseName + extension; }
    // A picture: the extension holds "png" or "jpg" and none of "doc", "ppt", "pdf" (any case).
    static bool isPictureExtension(const QString& extension);
    bool isPicture() const { return isPictureExtension(extension); }
};
