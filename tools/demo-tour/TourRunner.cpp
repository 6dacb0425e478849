#include "TourRunner.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace tour {

namespace {
constexpr int kPollMs = 100;
// Time for the windows to repaint after the last stage before the screen is saved.
constexpr int kSettleMs = 400;

QString seconds(qint64 ms) { return QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s"); }
} // namespace

TourRunner::TourRunner(const QDir& shotDir, FILE* progress, QObject* parent)
    : QObject(parent), m_shotDir(shotDir), m_progress(progress)
{
}

int TourRunner::lastStep() const { return m_limit < 0 ? m_steps.size() : std::min(m_limit, int(m_steps.size())); }

void TourRunner::start()
{
    m_results = QList<Result>();
    for (int i = 0; i < m_steps.size(); ++i)
        m_results << Result();
    m_step = 0;
    QTimer::singleShot(0, this, [this] { beginStep(); });
}

QString TourRunner::streamPicturePath() const
{
    const Step& step = m_steps.at(m_step);
    return m_shotDir.filePath(QStringLiteral("%1-%2-stream.png").arg(m_step + 1, 2, 10, QLatin1Char('0')).arg(step.shot));
}

void TourRunner::noteStreamPicture()
{
    const Step& step = m_steps.at(m_step);
    if (step.streamShot && QFileInfo::exists(streamPicturePath()))
        m_results[m_step].streamPicture = streamPicturePath();
}

void TourRunner::beginStep()
{
    if (m_step >= lastStep()) {
        finish();
        return;
    }
    std::fprintf(m_progress, "  ... %s\n", qPrintable(m_steps.at(m_step).title));
    std::fflush(m_progress);
    m_stepClock.start();
    m_stage = 0;
    beginStage();
}

void TourRunner::beginStage()
{
    const Step& step = m_steps.at(m_step);
    if (m_stage >= step.stages.size()) {
        stepHeld();
        return;
    }
    const Stage& stage = step.stages.at(m_stage);
    const int token = ++m_token;
    m_stageClock.start();
    if (stage.act)
        QTimer::singleShot(0, this, stage.act);
    QTimer::singleShot(kPollMs, this, [this, token] {
        if (token == m_token)
            poll();
    });
}

void TourRunner::poll()
{
    const Stage& stage = m_steps.at(m_step).stages.at(m_stage);
    if (stage.done()) {
        ++m_stage;
        beginStage();
        return;
    }
    if (stage.fails) {
        const QString why = stage.fails();
        if (!why.isEmpty()) {
            stepFailed(why);
            return;
        }
    }
    if (m_stageClock.elapsed() > stage.timeoutMs) {
        QString why = QStringLiteral("waited %1 until %2").arg(seconds(stage.timeoutMs), stage.until);
        const QString seen = stage.lastSeen ? stage.lastSeen() : QString();
        if (!seen.isEmpty())
            why += QStringLiteral(" (last seen: %1)").arg(seen);
        stepFailed(why);
        return;
    }
    const int token = m_token;
    QTimer::singleShot(kPollMs, this, [this, token] {
        if (token == m_token)
            poll();
    });
}

void TourRunner::stepHeld()
{
    ++m_token;
    Result& r = m_results[m_step];
    r.outcome = Outcome::Held;
    r.elapsedMs = m_stepClock.elapsed();
    const Step& step = m_steps.at(m_step);
    r.text = step.detail ? step.detail() : QString();
    noteStreamPicture();
    QTimer::singleShot(kSettleMs, this, [this] {
        const Step& s = m_steps.at(m_step);
        if (!s.shot.isEmpty())
            m_results[m_step].picture = saveScreen(s.shot);
        ++m_step;
        beginStep();
    });
}

void TourRunner::stepFailed(const QString& why)
{
    ++m_token;
    Result& r = m_results[m_step];
    r.outcome = Outcome::Failed;
    r.elapsedMs = m_stepClock.elapsed();
    r.text = why;
    const Step& step = m_steps.at(m_step);
    noteStreamPicture();
    r.picture = saveScreen((step.shot.isEmpty() ? QStringLiteral("step") : step.shot) + QStringLiteral("-FAILED"));
    finish();
}

QString TourRunner::saveScreen(const QString& name)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QString();
    // The part of the screen the program's windows cover (libobs draws into native windows,
    // so the picture is taken from the screen, not rendered from the widgets).
    QRect area;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->width() > 1 && w->height() > 1)
            area |= w->frameGeometry();
    }
    area &= screen->geometry();
    if (area.isEmpty())
        area = screen->geometry();
    const QPixmap picture = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString file =
        m_shotDir.filePath(QStringLiteral("%1-%2.png").arg(m_step + 1, 2, 10, QLatin1Char('0')).arg(name));
    return picture.save(file) ? file : QString();
}

void TourRunner::finish()
{
    ++m_token;
    emit finished(allHeld());
}

bool TourRunner::allHeld() const
{
    for (int i = 0; i < lastStep(); ++i) {
        if (m_results.value(i).outcome != Outcome::Held)
            return false;
    }
    return true;
}

QString TourRunner::currentTitle() const
{
    return m_step >= 0 && m_step < lastStep() ? m_steps.at(m_step).title : QString();
}

int TourRunner::heldEndingWith(const QString& suffix) const
{
    int held = 0;
    for (int i = 0; i < m_results.size(); ++i)
        held += m_results.at(i).outcome == Outcome::Held && m_steps.at(i).title.endsWith(suffix);
    return held;
}

void TourRunner::printSummary(FILE* out) const
{
    int held = 0;
    for (int i = 0; i < lastStep(); ++i) {
        const Result& r = m_results.at(i);
        const char* mark = r.outcome == Outcome::Held ? "ok    " : r.outcome == Outcome::Failed ? "FAILED" : "--    ";
        held += r.outcome == Outcome::Held;
        QString line = QStringLiteral("  %1 %2. %3").arg(QLatin1String(mark)).arg(i + 1, 2).arg(m_steps.at(i).title);
        if (r.outcome != Outcome::NotRun)
            line += QStringLiteral(" (%1)").arg(seconds(r.elapsedMs));
        if (!r.text.isEmpty())
            line += QStringLiteral(": ") + r.text;
        if (!r.picture.isEmpty())
            line += QStringLiteral("  [%1]").arg(QFileInfo(r.picture).fileName());
        if (!r.streamPicture.isEmpty())
            line += QStringLiteral(" [%1]").arg(QFileInfo(r.streamPicture).fileName());
        std::fprintf(out, "%s\n", line.toUtf8().constData());
    }
    std::fprintf(out, "%d of %d steps held. Screenshots: %s\n", held, lastStep(),
                 QDir::toNativeSeparators(m_shotDir.absolutePath()).toUtf8().constData());
    std::fflush(out);
}

} // namespace tour
