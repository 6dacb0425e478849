// The broadcast drill: after signing in, cycles of choose -> start -> pause -> resume -> stop,
// alternating the account's room and a custom push address, each start and resume checked with
// ffprobe at the RTMP server. Resident memory and open descriptors are sampled after a baseline
// cycle and after the last one; a GUI-thread watchdog notes the longest stall. The last step fails
// when memory or descriptors grew beyond a small margin.
#include "DemoTour.h"
#include "TourTexts.h"

#include "HostActions.h"

#include "shell/LiveModeDialog.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <unistd.h>

namespace tour {

namespace {
using namespace tour::texts;
// Growth between the baseline cycle and the last one that still counts as flat: allocator and
// driver caches swing by some 20 MiB from one cycle to the next (llvmpipe, x264); a leak of a MiB
// per cycle shows beyond this over the 45 cycles after the baseline.
constexpr qint64 kRssMarginKb = 48 * 1024;
constexpr int kFdMargin = 4;
constexpr int kWatchdogMs = 10;
} // namespace

qint64 residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

void DemoTour::startWatchdog()
{
    if (m_watchdog)
        return;
    m_watchdog = new QTimer(this);
    m_watchdog->setInterval(kWatchdogMs);
    m_watchdogClock.start();
    connect(m_watchdog, &QTimer::timeout, this, [this] {
        const qint64 gap = m_watchdogClock.restart() - kWatchdogMs - m_harnessMs;
        m_harnessMs = 0;
        if (gap > m_longestStallMs) {
            m_longestStallMs = gap;
            m_longestStallStep = m_runner.currentTitle();
        }
    });
    m_watchdog->start();
}

void DemoTour::asHarness(const std::function<void()>& action)
{
    QElapsedTimer clock;
    clock.start();
    action();
    m_harnessMs += clock.elapsed();
}

void DemoTour::addWatchStep()
{
    Step watch;
    watch.title = QStringLiteral("watch the GUI thread");
    watch.stages << Stage{QStringLiteral("the watchdog runs"), [this] { startWatchdog(); }, [] { return true; }};
    m_runner.add(watch);
}

void DemoTour::addCustomAddressStep(int cycle)
{
    auto dialog = [] { return visibleWindow<LiveModeDialog>(); };
    const QString url = m_options.customBase + QStringLiteral("/soak-custom-%1").arg(cycle);
    Step choose;
    choose.title = QStringLiteral("choose the custom address %1").arg(url);
    choose.stages << Stage{QStringLiteral("the room dialog is open"), [this] { click(mainNamed("select_live_btn")); },
                           [dialog] { return dialog() != nullptr; }};
    choose.stages << Stage{QStringLiteral("the main window offers to start"),
                           [dialog, url] {
                               click(named(dialog(), "custom_btn"));
                               auto* edit = named<QLineEdit>(dialog(), "stream_url_edit");
                               if (edit)
                                   edit->clear();
                               type(edit, url);
                               click(named(dialog(), "ok_btn"));
                           },
                           [this, dialog] { return !dialog() && mainText("live_mode_btn") == kStartText; }};
    m_runner.add(choose);
}

void DemoTour::addSampleStep(int cycle)
{
    Step sample;
    sample.title = QStringLiteral("sample memory and descriptors");
    sample.stages << Stage{QStringLiteral("sampled"), {}, [this, cycle] {
                               m_samples << Sample{cycle, residentKb(), openDescriptors()};
                               return true;
                           }};
    sample.detail = [this] {
        return QStringLiteral("rss %1 KiB, %2 descriptors").arg(m_samples.last().rssKb).arg(m_samples.last().fds);
    };
    m_runner.add(sample);
}

void DemoTour::addBroadcastCycles()
{
    m_runner.setKeepShots(false);
    const int baseline = std::min(5, std::max(1, m_options.cycles - 1));
    addWatchStep();
    for (int cycle = 1; cycle <= m_options.cycles; ++cycle) {
        m_runner.setTitlePrefix(QStringLiteral("cycle %1: ").arg(cycle));
        if (cycle % 2 == 1 || m_options.customBase.isEmpty())
            addRoomSteps();
        else
            addCustomAddressStep(cycle);
        addBroadcastSteps();
        addPauseResumeStopSteps();
        addSampleStep(cycle);
    }
    m_runner.setTitlePrefix(QString());
    Step held;
    held.title = QStringLiteral("memory and descriptors stayed flat");
    auto growth = [this, baseline]() -> QString {
        if (m_samples.size() != m_options.cycles)
            return QStringLiteral("no samples");
        const Sample& a = m_samples.at(baseline - 1);
        const Sample& b = m_samples.last();
        if (b.rssKb - a.rssKb > kRssMarginKb)
            return QStringLiteral("resident memory grew %1 KiB").arg(b.rssKb - a.rssKb);
        if (b.fds - a.fds > kFdMargin)
            return QStringLiteral("%1 more descriptors open").arg(b.fds - a.fds);
        return QString();
    };
    held.stages << Stage{QStringLiteral("the last sample is within the margins of the baseline"), {},
                         [growth] { return growth().isEmpty(); }, 1000, growth};
    m_runner.add(held);
}

QString DemoTour::soakFigures() const
{
    if (m_options.cycles <= 0)
        return QString();
    const int baseline = std::min(5, std::max(1, m_options.cycles - 1));
    const Sample a = m_samples.value(baseline - 1, Sample{});
    const Sample b = m_samples.value(m_options.cycles - 1, Sample{});
    QStringList series;
    for (const Sample& s : m_samples)
        series << QString::number(s.rssKb / 1024);
    return QStringLiteral("soak broadcast cycles=%1 rss_kb_cycle%2=%3 rss_kb_end=%4 fds_cycle%2=%5 fds_end=%6 "
                          "longest_gui_stall_ms=%7 (in \"%8\") rss_mib_per_cycle=%9")
        .arg(m_runner.heldEndingWith(QStringLiteral(": stop")))
        .arg(baseline)
        .arg(a.rssKb)
        .arg(b.rssKb)
        .arg(a.fds)
        .arg(b.fds)
        .arg(m_longestStallMs)
        .arg(m_longestStallStep, series.join(QLatin1Char(',')));
}

} // namespace tour
