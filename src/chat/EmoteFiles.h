#pragma once
// Where the emote pictures come from and where they are kept. The cache lives in the user's
// cache folder: the program's own folder is not writable once installed.

#include <QString>
#include <atomic>

class EmoteFiles
{
public:
    static constexpr int kCount = 205; // emotes 1 .. 205, sent as "[_em_N]"

    // QStandardPaths::CacheLocation + "/resource/emotes", or the folder set for tests.
    static QString folder();
    static void setFolder(const QString& folder); // empty: back to the default
    static QString fileName(int number);          // "_em_N.png"
    static QString filePath(int number);
    static QString address(int number);           // the picture on the emote host
    static QString code(int number);              // "[_em_N]"

    // Stores emote `number` unless its file already loads as a picture; a raised `stop` ends the
    // fetch in progress. Worker threads too.
    static void fetchToCache(int number, const std::atomic_bool* stop = nullptr);
};
