#pragma once
// The service-failure drill: every open-API request of the host's main road (sign-in, the room
// list and choice with the requests that set up the chosen room, chat sending and moderation) is
// made to fail in turn at the simulator: an HTTP 500, a body that is no JSON, an answer later
// than the request time-out, and no answer at all. Each case checks that the path ends (its error
// toast or hint, or its error handling when the path fails quietly) within the request time-out,
// that the failure is not taken for a success, that the settings store is not written, and that
// the same action then works against a normal answer.
//
// The library runs in this process on the offscreen platform with the recording engine fake (no
// picture matters here); the simulator is a child process.

#include "core/LoginInfo.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>

class FakeLiveCore;
class LiveMainWindow;
class LiveModeDialog;
class ChatItemWidget;
class SimulatorProcess;
class QTimer;

struct ServiceFailureOptions {
    // The request time-out of the network layer; shorter than the program's own (30 s) only in the
    // short form. A late answer comes this long plus a third after the request (40 s at full length).
    int timeoutMs = 30000;
    QStringList modes{"500", "garbage", "late", "never"};
    // Names of the paths whose slow modes (late, never) run; empty: all.
    QStringList slowPaths;
    QString outDir;
};

class ServiceFailureDrill : public QObject
{
    Q_OBJECT
public:
    explicit ServiceFailureDrill(const ServiceFailureOptions& options, FILE* out);
    ~ServiceFailureDrill() override;

    // Runs every case; false when any failed. The summary line is printed at the end.
    bool run();

    // A log line of the program (from the message handler).
    static void noteLog(const QString& line);

private:
    // One path of the main road: how to get ready for it, the host's action, when a failed
    // request has been dealt with, what would mean the failure was taken for a success, and when
    // a normal answer has been taken.
    struct Path {
        QString name;
        QString endpoint; // the simulator path that fails
        std::function<bool()> prepare;
        std::function<void()> act;
        std::function<bool()> ended;
        std::function<QString()> wrongSuccess;
        std::function<bool()> recovered;
        // What the path's own successful replies write (the push address of a newly chosen room,
        // when the failing request is one the choice makes besides): left out of the comparison.
        QStringList writtenBySuccess;
    };

    bool setUp();
    void tearDown();
    QList<Path> loginPaths();
    QList<Path> roomPaths();
    QList<Path> chatPaths();
    bool runCase(const Path& path, const QString& mode);
    bool signIn();
    bool openMainWindow();

    // helpers
    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    QJsonObject failingReply(const QString& mode) const;
    QMap<QString, QByteArray> settingsSnapshot() const;
    bool logSince(int mark, const QStringList& needles) const;
    QString toastText() const;
    void clearToast();
    int framesOfType(const QString& type) const;
    int requestsTo(const QString& path) const;
    bool control(const QString& path, const QJsonObject& body) const;
    LiveModeDialog* roomDialog() const;
    void closeRoomDialog();
    bool openRoomDialog();
    bool chooseInDialog(qint64 roomId);
    bool enterRoom(qint64 roomId);
    qint64 otherRoom() const;
    ChatItemWidget* viewerRow(const QString& text);
    ChatItemWidget* freshViewerRow();
    void pressAvatar(ChatItemWidget* row);
    void openMessageMenu(ChatItemWidget* row);
    bool startAndStop();

    ServiceFailureOptions m_options;
    FILE* m_out;
    std::unique_ptr<SimulatorProcess> m_sim;
    std::unique_ptr<FakeLiveCore> m_core;
    QPointer<LiveMainWindow> m_window;
    QString m_home;       // the private folder of settings and documents
    QString m_configHome; // XDG_CONFIG_HOME inside it
    LoginInfo m_login;     // the signed-in host (the main window keeps a pointer to it)
    int m_logMark = 0;     // the log lines before the current action
    QString m_menuChoice; // what the drill picks in a row's menu
    int m_menusShown = 0;
    int m_viewer = 9100;  // viewers of the moderation cases, one per row
    int m_serial = 0;

    // figures
    int m_cases = 0;
    int m_passed = 0;
    qint64 m_longestWaitMs = 0;
    QString m_longestWaitCase;
    int m_settingsWritten = 0;
    mutable QSet<QString> m_settingsFiles; // the files the comparisons covered
    QStringList m_failures;
    QTimer* m_watchdog = nullptr;
    QElapsedTimer m_watchdogClock;
    // The longest the GUI thread did not turn while the drill waited for a path (window set-up
    // between the cases is not counted).
    qint64 m_longestStallMs = 0;
    bool m_watching = false;
};
