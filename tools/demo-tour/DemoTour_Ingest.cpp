// The ingest drill: while the room is live, the private RTMP server is killed outright and started
// again after a while, or never. A server back in time must find the broadcast again ("直播中"
// all along, ffprobe finds the stream flowing); a server that never comes back must end in the
// push-failed hint and the idle state once the retries have run out. A GUI-thread watchdog notes
// the longest stall over the whole drill, which must stay a moment.
#include "DemoTour.h"
#include "TourTexts.h"

#include "HostActions.h"
#include "IngestServer.h"

#include "engine/ObsLiveCore.h"
#include "widgets/PopTipDlg.h"

#include <QApplication>
#include <QLabel>
#include <QUrl>

namespace tour {

namespace {
using namespace tour::texts;
constexpr int kIngestProbeMs = 30000;
constexpr int kServerStartMs = 10000;
} // namespace

int DemoTour::reconnectRetries() const
{
    return m_options.reconnectRetries > 0 ? m_options.reconnectRetries : ObsLiveCore::kReconnectRetries;
}

int DemoTour::reconnectDelaySec() const
{
    return m_options.reconnectDelaySec > 0 ? m_options.reconnectDelaySec : ObsLiveCore::kReconnectDelaySec;
}

bool DemoTour::failureHintShown() const
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* tip = dynamic_cast<PopTipDlg*>(w);
        if (tip && tip->isVisible() && tip->textLabel() && tip->textLabel()->text().contains(kPushFailed))
            return true;
    }
    return false;
}

void DemoTour::addIngestCases()
{
    m_runner.setKeepShots(false);
    const QUrl rtmp(qEnvironmentVariable("RTMP_URL"));
    m_ingest = new IngestServer(m_options.rtmpDir, qEnvironmentVariable("RTMP_PID").toLongLong(), rtmp.port(), this);

    Step watch;
    watch.title = QStringLiteral("watch the GUI thread; the engine's retry budget");
    watch.stages << Stage{QStringLiteral("the watchdog runs"),
                          [this] {
                              startWatchdog();
                              if (auto* core = dynamic_cast<ObsLiveCore*>(LiveCore::get_instance()))
                                  core->setReconnectSettings(reconnectRetries(), reconnectDelaySec());
                          },
                          [] { return true; }};
    watch.detail = [this] {
        return QStringLiteral("%1 retries %2 s apart").arg(reconnectRetries()).arg(reconnectDelaySec());
    };
    m_runner.add(watch);

    for (const QString& c : m_options.ingestCases) {
        const bool never = c == QLatin1String("never");
        const int downS = never ? -1 : c.toInt();
        const QString label = never ? c : QStringLiteral("%1s").arg(downS);
        m_runner.setTitlePrefix(QStringLiteral("case %1: ").arg(label));
        addRoomSteps();
        addBroadcastSteps();
        addIngestCase(label, downS);
    }
    m_runner.setTitlePrefix(QString());

    Step calm;
    calm.title = QStringLiteral("the GUI thread never stalled more than %1 ms").arg(m_options.maxStallMs);
    calm.stages << Stage{QStringLiteral("the longest stall is within the bound"), {},
                         [this] { return m_longestStallMs <= m_options.maxStallMs; }, 1000,
                         [this]() -> QString {
                             if (m_longestStallMs <= m_options.maxStallMs)
                                 return QString();
                             return QStringLiteral("%1 ms in \"%2\"").arg(m_longestStallMs).arg(m_longestStallStep);
                         }};
    m_runner.add(calm);
}

void DemoTour::addIngestCase(const QString& label, int downS)
{
    const int index = m_ingestResults.size();
    m_ingestResults << IngestResult{label, downS < 0, false, -1, false};
    auto broadcastEnded = [this]() -> QString {
        return mainText("live_status_label") != kLive ? QStringLiteral("the window left \"直播中\"") : QString();
    };

    Step kill;
    kill.title = QStringLiteral("kill the RTMP server mid-broadcast");
    kill.stages << Stage{QStringLiteral("the server is gone"),
                         [this] {
                             m_ingest->kill();
                             m_ingestClock.start();
                         },
                         [this] { return !m_ingest->accepting(); }, kServerStartMs};
    m_runner.add(kill);

    if (downS < 0) {
        // The retries run out: each waits its delay, and a refused connect fails at once.
        const int budgetMs = reconnectRetries() * (reconnectDelaySec() * 1000 + 1000) + 60000;
        Step fail;
        fail.title = QStringLiteral("the server never returns: the failure hint, then idle");
        fail.stages << Stage{QStringLiteral("the hint \"") + kPushFailed + QStringLiteral("\" is shown"), {},
                             [this, index] {
                                 if (!failureHintShown())
                                     return false;
                                 m_ingestResults[index].ms = m_ingestClock.elapsed();
                                 return true;
                             },
                             budgetMs};
        fail.stages << Stage{QStringLiteral("the window is idle: ") + kPreparing, {},
                             [this, index] {
                                 const bool idle = mainText("live_status_label") == kPreparing &&
                                                   mainText("live_mode_btn") == kChooseText;
                                 m_ingestResults[index].failedAsExpected = idle;
                                 return idle;
                             },
                             5000};
        fail.detail = [this, index] {
            return QStringLiteral("failed after %1 s").arg(double(m_ingestResults[index].ms) / 1000.0, 0, 'f', 1);
        };
        m_runner.add(fail);
        // Back for whatever comes next.
        Step back;
        back.title = QStringLiteral("start the RTMP server again");
        back.stages << Stage{QStringLiteral("the server accepts"), [this] { asHarness([this] { m_ingest->start(); }); },
                             [this] { return m_ingest->accepting(); }, kServerStartMs};
        m_runner.add(back);
        return;
    }

    Step down;
    down.title = QStringLiteral("the server stays away %1 s; the window stays live").arg(downS);
    down.stages << Stage{QStringLiteral("the time has passed"), {},
                         [this, downS] { return m_ingestClock.elapsed() >= downS * 1000; }, downS * 1000 + 5000,
                         broadcastEnded};
    m_runner.add(down);

    Step restart;
    restart.title = QStringLiteral("start the RTMP server again");
    restart.stages << Stage{QStringLiteral("the server accepts"), [this] { asHarness([this] { m_ingest->start(); }); },
                            [this] { return m_ingest->accepting(); }, kServerStartMs, broadcastEnded};
    m_runner.add(restart);

    // ffprobe waits at the server for the stream to come back; a probe that gives up is run again.
    const int recoverMs = reconnectDelaySec() * 2000 + kIngestProbeMs + 20000;
    Step again;
    again.title = QStringLiteral("the stream flows again at the server (ffprobe), the window says ") + kLive;
    again.stages << Stage{QStringLiteral("ffprobe finds H.264 video and AAC audio"),
                          [this] { asHarness([this] { m_probe.start(m_probe.url(), kIngestProbeMs); }); },
                          [this, index] {
                              if (!m_probe.isFinished())
                                  return false;
                              if (!m_probe.hasVideoAndAudio()) {
                                  asHarness([&] { m_probe.start(m_probe.url(), kIngestProbeMs); });
                                  return false;
                              }
                              if (mainText("live_status_label") != kLive)
                                  return false;
                              m_ingestResults[index].recovered = true;
                              m_ingestResults[index].ms = m_ingestClock.elapsed();
                              return true;
                          },
                          recoverMs, broadcastEnded};
    again.detail = [this, index] {
        return QStringLiteral("%1, %2 s after the kill")
            .arg(m_probe.summary())
            .arg(double(m_ingestResults[index].ms) / 1000.0, 0, 'f', 1);
    };
    m_runner.add(again);

    Step stop;
    stop.title = QStringLiteral("stop");
    stop.stages << Stage{QStringLiteral("the pause/stop popup offers \"") + kStopRow + QStringLiteral("\""),
                         [this] { click(mainNamed("live_mode_btn")); },
                         [this] { return visibleChildWithText(pauseOrStopPopup(), kStopRow) != nullptr; }};
    stop.stages << Stage{QStringLiteral("the window is idle"),
                         [this] { click(visibleChildWithText(pauseOrStopPopup(), kStopRow)); },
                         [this] {
                             return mainText("live_status_label") == kPreparing &&
                                    mainText("live_mode_btn") == kChooseText;
                         }};
    m_runner.add(stop);
}

QString DemoTour::ingestFigures() const
{
    if (m_options.ingestCases.isEmpty())
        return QString();
    int recovered = 0, failedAsExpected = 0;
    QStringList times;
    for (const IngestResult& r : m_ingestResults) {
        recovered += r.recovered ? 1 : 0;
        failedAsExpected += r.failedAsExpected ? 1 : 0;
        times << QStringLiteral("%1:%2").arg(r.label, r.ms < 0 ? QStringLiteral("-")
                                                               : QString::number(double(r.ms) / 1000.0, 'f', 1));
    }
    bool ok = m_longestStallMs <= m_options.maxStallMs;
    for (const IngestResult& r : m_ingestResults)
        ok = ok && (r.expectFailure ? r.failedAsExpected : r.recovered);
    return QStringLiteral("soak ingest cases=%1 recovered=%2 failed_as_expected=%3 longest_gui_stall_ms=%4 (in \"%5\") "
                          "seconds_after_kill=%6 retries=%7x%8s result=%9")
        .arg(m_ingestResults.size())
        .arg(recovered)
        .arg(failedAsExpected)
        .arg(m_longestStallMs)
        .arg(m_longestStallStep, times.join(QLatin1Char(',')))
        .arg(reconnectRetries())
        .arg(reconnectDelaySec())
        .arg(ok ? QStringLiteral("ok") : QStringLiteral("FAILED"));
}

} // namespace tour
