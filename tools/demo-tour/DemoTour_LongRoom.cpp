// The long-room drill: signed in and broadcasting, the host's room stays busy (the audience says
// something every half second, viewers come and go) for a given time. Resident memory and open
// descriptors are sampled at a fixed interval and the memory slope is fitted after a warm-up; every
// message the simulator sent to the room must have reached the chat list (counted as rows are
// added, so rows the list's bound later drops still count); the broadcast must still be live and
// reaching the RTMP server at the end.
#include "DemoTour.h"
#include "TourTexts.h"

#include "chat/ChatListWidget.h"
#include "chat/ItemChatRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace tour {

namespace {
using namespace tour::texts;
// Messages said just before the simulator was asked are still on their way (the list adds live
// rows together within a few tens of ms): they get this long to arrive.
constexpr int kDeliveryMs = 10000;
constexpr int kProbeTimeoutMs = 30000;

// Least-squares slope of memory (KiB) over minutes, from `fromMinute` on; 0 with fewer than two.
double memorySlope(const QList<double>& minutes, const QList<qint64>& kb)
{
    const int n = minutes.size();
    if (n < 2)
        return 0;
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
        mx += minutes[i];
        my += double(kb[i]);
    }
    mx /= n;
    my /= n;
    double sxy = 0, sxx = 0;
    for (int i = 0; i < n; ++i) {
        sxy += (minutes[i] - mx) * (double(kb[i]) - my);
        sxx += (minutes[i] - mx) * (minutes[i] - mx);
    }
    return sxx > 0 ? sxy / sxx : 0;
}
} // namespace

void DemoTour::watchChatRows()
{
    QPointer<QListWidget> list = chatList();
    if (!list)
        return;
    auto note = [this, list](int row) {
        QListWidgetItem* item = list ? list->item(row) : nullptr;
        if (!item)
            return;
        const ItemChatRecord record = item->data(ChatListWidget::kRecordRole).value<ItemChatRecord>();
        if (record.local_seq != -1 || record.id.isEmpty())
            return;
        ++m_rowsReceived;
        bool numeric = false;
        const qint64 id = record.id.toLongLong(&numeric);
        if (!numeric || id < 0 || id > 100000000) {
            ++m_unnumberedRows;
            return;
        }
        if (size_t(id) >= m_seenIds.size())
            m_seenIds.resize(size_t(id) + 4096, 0);
        quint8& seen = m_seenIds[size_t(id)];
        if (seen > 0)
            ++m_duplicateRows;
        if (seen < 255)
            ++seen;
    };
    // Rows already shown (messages said while the broadcast started), then each row as it is added.
    for (int row = 0; row < list->count(); ++row)
        note(row);
    connect(list->model(), &QAbstractItemModel::rowsInserted, this, [note](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row)
            note(row);
    });
}

void DemoTour::sampleRoom()
{
    const double minute = double(m_roomClock.elapsed()) / 60000.0;
    if (!m_roomSamples.isEmpty() && (minute - m_roomSamples.last().minute) * 60.0 < 1.0)
        return;
    m_roomSamples << TimedSample{minute, residentKb(), openDescriptors()};
    std::fprintf(m_progress, "    minute %.1f: rss %lld KiB, %d descriptors, %d messages reached the chat list, longest stall %lld ms\n",
                 minute, m_roomSamples.last().rssKb, m_roomSamples.last().fds, m_rowsReceived, m_longestStallMs);
    std::fflush(m_progress);
}

void DemoTour::fetchSentIds()
{
    auto* net = new QNetworkAccessManager(this);
    const QUrl url(qEnvironmentVariable("SOLVEK_SERVICE_URL") + QStringLiteral("/_sim/room/state"));
    QNetworkReply* reply = net->get(QNetworkRequest(url));
    connect(reply, &QNetworkReply::finished, this, [this, reply, net] {
        reply->deleteLater();
        net->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            m_sentError = QStringLiteral("the simulator's room state: ") + reply->errorString();
            return;
        }
        // Every message the rooms hold was sent to them (the host says nothing in this drill).
        const QJsonObject rooms = QJsonDocument::fromJson(reply->readAll()).object().value(QLatin1String("rooms")).toObject();
        for (const QJsonValue& room : rooms)
            for (const QJsonValue& id : room.toObject().value(QLatin1String("message_ids")).toArray())
                m_sentIds << id.toString().toLongLong();
        m_sentKnown = true;
        m_deliverySettle.start();
    });
}

int DemoTour::countLost() const
{
    int lost = 0;
    for (qint64 id : m_sentIds)
        if (id < 0 || size_t(id) >= m_seenIds.size() || m_seenIds[size_t(id)] == 0)
            ++lost;
    return lost;
}

void DemoTour::addLongRoomSteps()
{
    m_runner.setKeepShots(false);
    addRoomSteps();
    addBroadcastSteps();
    addWatchStep();

    const qint64 durationMs = qint64(m_options.longRoomMinutes * 60000.0);
    Step busy;
    busy.title = QStringLiteral("stay live in the busy room for %1 min").arg(m_options.longRoomMinutes);
    busy.stages << Stage{QStringLiteral("the time has passed while live"),
                         [this] {
                             m_roomClock.start();
                             watchChatRows();
                             sampleRoom();
                             m_sampler = new QTimer(this);
                             m_sampler->setInterval(m_options.sampleSeconds * 1000);
                             // Sampling is the drill's own work, not a stall of the program.
                             connect(m_sampler, &QTimer::timeout, this, [this] { asHarness([this] { sampleRoom(); }); });
                             m_sampler->start();
                         },
                         [this, durationMs] {
                             if (m_roomClock.elapsed() < durationMs)
                                 return false;
                             m_sampler->stop();
                             sampleRoom();
                             m_roomStallMs = m_longestStallMs;
                             return true;
                         },
                         int(std::min<qint64>(durationMs + 60000, std::numeric_limits<int>::max())),
                         [this]() -> QString {
                             return mainText("live_status_label") != kLive ? QStringLiteral("the broadcast stopped")
                                                                           : QString();
                         }};
    busy.detail = [this] {
        return QStringLiteral("%1 messages reached the chat list, rss %2 KiB at the end")
            .arg(m_rowsReceived)
            .arg(m_roomSamples.isEmpty() ? -1 : m_roomSamples.last().rssKb);
    };
    m_runner.add(busy);

    Step flowing;
    flowing.title = QStringLiteral("the stream still reaches the RTMP server (ffprobe)");
    flowing.stages << Stage{QStringLiteral("ffprobe finds H.264 video and AAC audio"),
                            [this] { m_probe.start(m_probe.url(), kProbeTimeoutMs); },
                            [this] { return m_probe.isFinished() && m_probe.hasVideoAndAudio(); },
                            kProbeTimeoutMs + 5000,
                            [this] { return m_probe.isFinished() ? m_probe.summary() : QString(); }};
    flowing.detail = [this] { return m_probe.summary(); };
    m_runner.add(flowing);

    Step delivered;
    delivered.title = QStringLiteral("every message sent to the room reached the chat list");
    Stage all{QStringLiteral("no message sent before the simulator was asked is missing"),
              [this] { fetchSentIds(); },
              [this] { return m_sentKnown && !m_sentIds.isEmpty() && countLost() == 0; },
              kDeliveryMs + 5000,
              [this]() -> QString {
                  if (!m_sentError.isEmpty())
                      return m_sentError;
                  if (m_sentKnown && m_sentIds.isEmpty())
                      return QStringLiteral("the audience sent nothing");
                  if (m_sentKnown && m_deliverySettle.elapsed() > kDeliveryMs)
                      return QStringLiteral("%1 of %2 messages never reached the chat list").arg(countLost()).arg(m_sentIds.size());
                  return QString();
              }};
    delivered.stages << all;
    delivered.detail = [this] {
        return QStringLiteral("%1 messages, %2 rows added twice, %3 rows without a numeric id")
            .arg(m_sentIds.size())
            .arg(m_duplicateRows)
            .arg(m_unnumberedRows);
    };
    m_runner.add(delivered);

    Step once;
    once.title = QStringLiteral("no message was shown twice");
    once.stages << Stage{QStringLiteral("no row repeats a message"), {}, [this] { return m_duplicateRows == 0; }, 1000,
                         [this]() -> QString {
                             return m_duplicateRows ? QStringLiteral("%1 rows repeat a message").arg(m_duplicateRows)
                                                    : QString();
                         }};
    m_runner.add(once);

    // The program still answers the host as usual after the long run.
    addPauseResumeStopSteps();
}

QString DemoTour::longRoomFigures() const
{
    if (m_options.longRoomMinutes <= 0)
        return QString();
    QList<double> minutes;
    QList<qint64> kb;
    TimedSample atWarmUp;
    for (const TimedSample& s : m_roomSamples) {
        if (s.minute + 1e-6 < m_options.warmUpMinutes)
            continue;
        if (minutes.isEmpty())
            atWarmUp = s;
        minutes << s.minute;
        kb << s.rssKb;
    }
    const TimedSample first = m_roomSamples.value(0);
    const TimedSample last = m_roomSamples.isEmpty() ? TimedSample{} : m_roomSamples.last();
    const int sent = m_sentKnown ? m_sentIds.size() : -1;
    const int lost = m_sentKnown ? countLost() : -1;
    return QStringLiteral("soak long_room minutes=%1 sent=%2 delivered=%3 lost=%4 rss_kb_10min=%5 rss_kb_end=%6 "
                          "slope_kb_per_min=%7 fds_start=%8 fds_end=%9 longest_gui_stall_ms=%10 duplicated=%11")
        .arg(last.minute, 0, 'f', 1)
        .arg(sent)
        .arg(m_sentKnown ? sent - lost : -1)
        .arg(lost)
        .arg(atWarmUp.rssKb)
        .arg(last.rssKb)
        .arg(memorySlope(minutes, kb), 0, 'f', 1)
        .arg(first.fds)
        .arg(last.fds)
        .arg(m_roomStallMs >= 0 ? m_roomStallMs : m_longestStallMs)
        .arg(m_duplicateRows);
}

} // namespace tour
