#pragma once
// The process-wide settings and state store.
//
// A plain class: its members are public and read and written directly by the windows that
// share them; nothing is notified of a change. Options that survive a restart live in
// "config.ini" in the working directory (INI, UTF-8, group "setting", every value a string);
// the current user's saved document list lives in the same file in a group named after the
// user id.

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QSettings;
class DocumentCreateWidget; // a tile of the document list; the store only keeps pointers to them

class CDataCenter
{
public:
    // The single store, created on the first call (GUI thread, before any window exists).
    static std::shared_ptr<CDataCenter> getInstance();

    // Replaces the single store (tests point it at a private settings file; an empty pointer
    // makes the next getInstance build a fresh one from the working directory).
    static void setInstanceForTesting(std::shared_ptr<CDataCenter> store);

    // Opens `settingsFile` (default: "config.ini" in the current directory) and loads the options.
    explicit CDataCenter(const QString& settingsFile = QString());
    ~CDataCenter();
    CDataCenter(const CDataCenter&) = delete;
    CDataCenter& operator=(const CDataCenter&) = delete;

    // "setting/<key>" by Qt's string-to-boolean rule; `absentValue` when the key is not stored.
    bool getBool(QString key, bool absentValue = false) const;
    // "setting/<key>" as a decimal integer; 0 when absent or not a number.
    int getInt(QString key) const;
    // Stores `value` as a string under "setting/<key>" (file only; callers set the member themselves).
    void setValue(QString key, QString value);

    // The current user's saved document keys: "<uid>/0" .. "<uid>/<count-1>".
    QStringList getDocInfoList() const;
    // Stores one entry of the current user's document list ("count" or an index).
    void setDocInfoValue(const QString& key, const QString& value);

    // Sets userDocDir = userDocRoot + "/" + uidText and makes the folder. Called once after login.
    void createUserDocDir();

    // Height of the desktop's panel: screen height minus available height (-1 without a screen).
    int gettaskBar();

    // Writes pending changes of the settings file now.
    void sync();

    // The file the settings object reads and writes.
    QString settingsFileName() const;

    // Root of the per-user document folders: <generic data location>/solvek/userdoc.
    static QString defaultUserDocRoot();

    // ---- members, read and written directly ------------------------------------------------
    int screenWidth = 1280;   // primary screen in physical pixels, taken once at start
    int screenHeight = 720;
    int taskBarHeight = 40;
    QString userDocDir;       // userDocRoot + "/" + uidText, after login
    QString userDocRoot;      // document root (holds "micUser", "download", one folder per user)
    bool cameraMirror = false;
    bool isStreaming = false; // live or paused when the settings dialog was opened
    QString pushServer;
    QString pushKey;
    bool desktopSharing = false;
    QString userName;
    QString avatarFile;
    QString uidText;          // decimal user id; names the per-user group and folder
    QString cameraName;       // empty: the first camera
    int cameraIndex = 0;
    bool noTitleTipcheck = false; // "noTitleTipcheck": do not ask on close
    bool exitCheck = true;        // "ExitCheck": close exits (true) or minimises (false); absent = true
    bool liveMode = false;        // "LiveMode": portrait canvas
    bool swapCanvasSize = false;
    bool closeMicAudio = false;     // "CloseMicAudio"
    bool closeDesktopAudio = false; // "CloseDesktopAudio"
    int inputAudio = 30;            // "InputAudio", 0..100
    int outPutAudio = 30;           // "OutPutAudio", 0..100
    int streamQuality = 2;          // "LiveType": 0, 1 or 2
    int liveFps = 30;               // "LiveFps": 24 or 30
    qint64 settingPreviewWinId = 0;
    QList<DocumentCreateWidget*> documentWidgets; // not owned
    int docImageWidth = 500;
    int docImageHeight = 500;
    QString sceneBackground;
    bool shareAtStart = false;

private:
    bool hasSetting(const QString& key) const;
    void load();

    QSettings* m_settings = nullptr; // owned; synced when the application quits
};
