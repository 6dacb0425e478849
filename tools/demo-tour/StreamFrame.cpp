#include "StreamFrame.h"

#include <QFile>
#include <QStringList>
#include <QTimer>

#include <algorithm>

namespace tour {

StreamFrame::StreamFrame(QObject* parent) : QObject(parent)
{
    connect(&m_proc, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, [this] {
        m_frame = QImage(m_file);
        if (m_frame.isNull() && m_error.isEmpty())
            m_error = QString::fromUtf8(m_proc.readAllStandardError()).trimmed().section(QLatin1Char('\n'), -1);
        if (m_frame.isNull() && m_error.isEmpty())
            m_error = QStringLiteral("ffmpeg gave no frame");
        m_finished = true;
    });
    connect(&m_proc, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            m_error = QStringLiteral("ffmpeg could not be started");
            m_finished = true;
        }
    });
}

StreamFrame::~StreamFrame()
{
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.kill();
        m_proc.waitForFinished(2000);
    }
}

void StreamFrame::start(const QString& url, const QString& file, int timeoutMs)
{
    if (m_proc.state() != QProcess::NotRunning) {
        m_proc.kill();
        m_proc.waitForFinished(2000);
    }
    m_url = url;
    m_file = file;
    m_error.clear();
    m_frame = QImage();
    m_finished = false;
    QFile::remove(file);
    // The first frame the decoder gives is whole: it waits for a key frame (one a second here).
    // The stream's headers name its codecs, so a short probe is enough.
    m_proc.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y"),
                  QStringLiteral("-probesize"), QStringLiteral("65536"), QStringLiteral("-analyzeduration"),
                  QStringLiteral("1000000"), QStringLiteral("-an"), QStringLiteral("-i"), url,
                  QStringLiteral("-frames:v"), QStringLiteral("1"), file});
    const int run = ++m_run;
    QTimer::singleShot(timeoutMs, this, [this, run] {
        if (run == m_run && m_proc.state() != QProcess::NotRunning) {
            m_error = QStringLiteral("ffmpeg got no frame in time");
            m_proc.kill();
        }
    });
}

QColor meanColour(const QImage& image, const QRect& area)
{
    const QRect inside = area & image.rect();
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

bool sameColour(const QColor& a, const QColor& b, int tolerance)
{
    return a.isValid() && b.isValid() && std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance && std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor StreamFrame::colourAt(const QPointF& at) const
{
    const int rx = std::max(1, m_frame.width() / 80);
    const int ry = std::max(1, m_frame.height() / 80);
    const QPoint centre(int(at.x() * m_frame.width()), int(at.y() * m_frame.height()));
    return meanColour(m_frame, QRect(centre.x() - rx, centre.y() - ry, 2 * rx + 1, 2 * ry + 1));
}

QString StreamFrame::mismatch(const QList<Marker>& markers) const
{
    if (m_frame.isNull())
        return m_error.isEmpty() ? QStringLiteral("no frame") : m_error;
    QStringList wrong;
    for (const Marker& m : markers) {
        const QColor seen = colourAt(m.at);
        if (!sameColour(seen, m.colour))
            wrong << QStringLiteral("%1: %2 at (%3, %4) where %5 was expected")
                         .arg(m.what, seen.name())
                         .arg(m.at.x(), 0, 'f', 2)
                         .arg(m.at.y(), 0, 'f', 2)
                         .arg(m.colour.name());
    }
    return wrong.join(QStringLiteral("; "));
}

void FrameCheck::begin(const QString& url, const QString& file, const QList<Marker>& markers)
{
    m_url = url;
    m_file = file;
    m_markers = markers;
    m_problem.clear();
    m_attempts = 1;
    m_grab.start(url, file);
}

bool FrameCheck::poll()
{
    if (!m_grab.isFinished())
        return false;
    m_problem = m_grab.mismatch(m_markers);
    if (m_problem.isEmpty())
        return true;
    ++m_attempts;
    m_grab.start(m_url, m_file);
    return false;
}

} // namespace tour
