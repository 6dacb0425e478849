#pragma once
// The scripted tour of the program: what a host does from the login dialog to the end of a
// broadcast, step by step, with what must be seen after each step.

#include "StreamFrame.h"
#include "StreamProbe.h"
#include "TourDocuments.h"
#include "TourRunner.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class DocumentCreateWidget;
namespace tour {
class IngestServer;
}
class DocumentShareWidget;
class FloatingWindow;
class LoginDialog;
class QLabel;
class SceneLayoutControl;
class LiveMainWindow;
class QListWidget;
class QTimer;

namespace tour {

struct TourOptions {
    QString outDir;
    QString phone = QStringLiteral("13800000000");
    QString password = QStringLiteral("demo1234");
    QString room = QString::fromUtf8("新品发布会直播间");
    QString chat = QString::fromUtf8("大家好，欢迎来到直播间");
    bool startupOnly = false; // the start-up benchmark: stop once the main window is drawn
    int holdLiveSeconds = 0;  // the CPU benchmark: stay live this long once the output runs
    // The CPU benchmark writes the scene libobs holds at the end of the hold here (JSON); empty: not.
    QString benchScene;
    // Where the tour writes the documents it puts on the canvas (documents.py has written the Word
    // document there); empty leaves the canvas steps out.
    QString documentsDir;
    // The broadcast drill: this many cycles after signing in (0: the tour); even cycles push to
    // customBase + "/soak-custom-N" when customBase is set.
    int cycles = 0;
    QString customBase;
    // The ingest drill: the RTMP server (its folder rtmpDir, laid out by the launcher) is killed
    // mid-broadcast and started again after each listed number of seconds, or "never".
    QStringList ingestCases;
    QString rtmpDir;
    int reconnectRetries = 0; // the engine's retry budget in the drill (0: the program's own)
    int reconnectDelaySec = 0;
    int maxStallMs = 250;
    // The long-room drill: after the broadcast started, this many minutes in a busy room (0: not
    // the drill), memory and descriptors sampled every sampleSeconds; the memory slope is fitted
    // from warmUpMinutes on.
    double longRoomMinutes = 0;
    int sampleSeconds = 60;
    double warmUpMinutes = 10;
};

// Resident memory of this process in KiB and its open file descriptors (-1 when unreadable).
qint64 residentKb();
int openDescriptors();

// Milliseconds since this process started (from SOLVEK_BENCH_T0_NS, the launcher's wall clock
// in nanoseconds, when set; else from the kernel's start time, to 10 ms).
qint64 msSinceProcessStart();

class DemoTour : public QObject
{
    Q_OBJECT
public:
    DemoTour(const TourOptions& options, FILE* progress, QObject* parent = nullptr);

    void start() { m_runner.start(); }
    TourRunner& runner() { return m_runner; }
    // One line of start-up figures: "startup login_dialog_ms=.. login_to_main_window_ms=.."
    QString startupFigures() const;
    // One line of the live figures: "live seconds=.. cpu_percent=.. frames=.. dropped=.."
    QString liveFigures() const { return m_liveFigures; }
    // The broadcast drill's line: "soak broadcast cycles=.. rss_kb_cycleN=.. rss_kb_end=.. ..."; empty
    // outside the drill.
    QString soakFigures() const;
    // The ingest drill's line: "soak ingest cases=.. recovered=.. failed_as_expected=.. ..."; empty
    // outside the drill.
    QString ingestFigures() const;
    // The long-room drill's line: "soak long_room minutes=.. sent=.. delivered=.. lost=.. ..."; empty
    // outside the drill.
    QString longRoomFigures() const;

signals:
    void finished(bool allHeld);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addLoginSteps();
    void addRoomSteps();
    void addBroadcastSteps();
    // The CPU benchmark (DemoTour_Bench.cpp): a document page with the camera overlay, then the hold.
    void addBenchSceneSteps();
    void addHoldLiveStep();
    void writeBenchScene(const QString& path) const;
    void addDocumentSteps();
    void addShareSteps();
    void addLayoutSteps();
    void addChatSteps();
    // The broadcast drill (DemoTour_Soak.cpp).
    void addBroadcastCycles();
    void addCustomAddressStep(int cycle);
    void addSampleStep(int cycle);
    void startWatchdog();
    void addWatchStep();
    // The long-room drill (DemoTour_LongRoom.cpp).
    void addLongRoomSteps();
    void watchChatRows();
    void sampleRoom();
    void fetchSentIds();
    int countLost() const;
    void addPauseResumeStopSteps();
    // The ingest drill (DemoTour_Ingest.cpp).
    void addIngestCases();
    void addIngestCase(const QString& label, int downS);
    bool failureHintShown() const;
    int reconnectRetries() const;
    int reconnectDelaySec() const;

    LiveMainWindow* mainWindow() const;
    QWidget* mainNamed(const char* name) const;
    QString mainText(const char* name) const;
    QWidget* pauseOrStopPopup() const;
    QListWidget* chatList() const;
    // Rows of the chat list with exactly `text`, and rows of viewers (not the host).
    int rowsWithText(const QString& text, bool* ownWithServerId) const;
    QStringList viewerLines() const;

    // The canvas steps' helpers (DemoTour_Canvas.cpp).
    QString pushUrl() const;
    Stage streamShows(const QString& what, std::function<QList<Marker>()> markers);
    QString frameDetail() const;
    DocumentShareWidget* documentList() const;
    DocumentCreateWidget* documentTile(const QString& path) const;
    // Every file's tile has converted; the first file whose conversion failed, or empty.
    bool converted(const QStringList& paths) const;
    QString conversionFailure() const;
    void useDocument(const QString& path);
    bool pageShows(const QColor& colour) const;
    void showPattern();
    QList<Marker> patternMarkers() const;
    FloatingWindow* shareBar() const;
    SceneLayoutControl* sceneStrip() const;
    QList<Marker> tileMarkers() const;

    TourOptions m_options;
    TourRunner m_runner;
    StreamProbe m_probe;
    StreamFrame m_frame;
    FrameCheck m_frameCheck{m_frame};
    TourDocuments m_docs;
    QString m_docError;
    QPointer<QLabel> m_pattern; // the desktop share's pattern window
    QRect m_patternRect;
    struct Sample {
        int cycle = 0;
        qint64 rssKb = -1;
        int fds = -1;
    };
    QList<Sample> m_samples;
    QTimer* m_watchdog = nullptr;
    QElapsedTimer m_watchdogClock;
    qint64 m_longestStallMs = 0;
    // Time the tour itself held the GUI thread (starting ffprobe or a server: a fork of this large
    // process), left out of the stalls the watchdog counts.
    qint64 m_harnessMs = 0;
    void asHarness(const std::function<void()>& action);
    QString m_longestStallStep;
    IngestServer* m_ingest = nullptr;
    struct IngestResult {
        QString label;
        bool expectFailure = false;
        bool failedAsExpected = false;
        qint64 ms = -1; // from the kill to the stream found again, or to the failure hint
        bool recovered = false;
    };
    QList<IngestResult> m_ingestResults;
    QElapsedTimer m_ingestClock;
    // The long-room drill: samples by minute since the busy room began, how often each message id
    // reached the chat list (indexed by the simulator's numeric ids: a set of strings would itself
    // grow the memory measured), the ids the simulator had sent when asked at the end.
    struct TimedSample {
        double minute = 0;
        qint64 rssKb = -1;
        int fds = -1;
    };
    QList<TimedSample> m_roomSamples;
    QTimer* m_sampler = nullptr;
    QElapsedTimer m_roomClock;
    std::vector<quint8> m_seenIds;
    int m_rowsReceived = 0;
    int m_unnumberedRows = 0;
    int m_duplicateRows = 0;
    qint64 m_roomStallMs = -1; // the longest stall while the room was busy
    QList<qint64> m_sentIds;
    QString m_sentError;
    bool m_sentKnown = false;
    QElapsedTimer m_deliverySettle;
    FILE* m_progress = nullptr;
    QPointer<LoginDialog> m_login;
    QPointer<LiveMainWindow> m_main;
    qint64 m_loginShownMs = -1;   // since process start
    qint64 m_startedMs = -1;      // the tour made (the application object is up), since process start
    qint64 m_loginShowMs = -1;    // the login dialog shown (before its first paint), since process start
    QElapsedTimer m_sinceLoginClick;
    qint64 m_mainDrawnMs = -1;    // since the login click
    QElapsedTimer m_settle;
    double m_holdCpuStartS = 0;
    QString m_liveFigures;
};

} // namespace tour
