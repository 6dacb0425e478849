#pragma once
// One picture of what viewers see: ffmpeg takes the first whole frame of a live RTMP address and
// saves it as a PNG, in the background so the windows keep working meanwhile. The tour then reads
// colours at known places of the frame (the encoder is lossy, so colours are compared loosely and
// averaged over a small patch, never pixel for pixel).

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QProcess>
#include <QString>

namespace tour {

// The mean colour of the image's pixels inside `area` (clipped to the image); invalid when empty.
QColor meanColour(const QImage& image, const QRect& area);
// Each channel within `tolerance` of the other's.
bool sameColour(const QColor& a, const QColor& b, int tolerance = 60);

// A colour the frame must show at a place given as fractions of the frame's width and height.
struct Marker {
    QString what;  // "page 1's red square", for the failure text
    QPointF at;    // 0..1 of width and height
    QColor colour;
};

class StreamFrame : public QObject
{
    Q_OBJECT
public:
    explicit StreamFrame(QObject* parent = nullptr);
    ~StreamFrame() override;

    // Starts ffmpeg on `url`, writing the frame to `file` (replaced).
    void start(const QString& url, const QString& file, int timeoutMs = 20000);
    bool isFinished() const { return m_finished; }
    bool hasFrame() const { return !m_frame.isNull(); }
    const QImage& frame() const { return m_frame; }
    QString file() const { return m_file; }
    QString error() const { return m_error; }

    // The frame's mean colour in a patch (1/40 of the frame's sides) around `at`.
    QColor colourAt(const QPointF& at) const;
    // Empty when every marker's colour is in the frame where expected; else what differs.
    QString mismatch(const QList<Marker>& markers) const;

private:
    QProcess m_proc;
    QString m_url;
    QString m_file;
    QString m_error;
    QImage m_frame;
    bool m_finished = false;
    int m_run = 0; // a time-out of an earlier run leaves a later one alone
};

// Starts a grab and, polled, restarts it until the markers show or the time runs out: right after
// the canvas changed the next frame may still show the old picture (the encoder and the server lag
// a moment behind).
class FrameCheck
{
public:
    FrameCheck(StreamFrame& grab) : m_grab(grab) {}
    void begin(const QString& url, const QString& file, const QList<Marker>& markers);
    // True once a frame with every marker arrived; restarts the grab after a frame without.
    bool poll();
    // The last frame's mismatch or the grab's error, for the failure text.
    QString lastProblem() const { return m_problem; }
    int attempts() const { return m_attempts; }

private:
    StreamFrame& m_grab;
    QString m_url;
    QString m_file;
    QList<Marker> m_markers;
    QString m_problem;
    int m_attempts = 0;
};

} // namespace tour
