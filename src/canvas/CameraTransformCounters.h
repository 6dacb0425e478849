#pragma once
// The quarter-turn and flip counters of the host's camera. They are process-wide: every caller
// (context menu, camera window) turns the same camera, and only a reset puts them back.
//
// Clockwise turns walk 270, 180, 90, 0 degrees and start over; anticlockwise turns walk 90, 180,
// 270, 360 and start over, and every clockwise turn starts the anticlockwise walk again. The flip
// alternates on and off.

class CameraTransformCounters
{
public:
    static constexpr int kClockwiseStart = 3;

    static CameraTransformCounters& instance();

    // The rotation in degrees for the next clockwise turn; advances the counters.
    int turnClockwise();
    // The rotation in degrees for the next anticlockwise turn; advances the counter.
    int turnAnticlockwise();
    // Whether the next flip switches the flip on; advances the counter.
    bool nextFlip();
    // Back to the start (3, 0, 0).
    void reset();

    // Whether the camera stands turned by a quarter turn (its width and height traded).
    bool quarterTurned() const;

    int clockwise() const { return m_clockwise; }
    int anticlockwise() const { return m_anticlockwise; }
    int flip() const { return m_flip; }

private:
    int m_clockwise = kClockwiseStart;
    int m_anticlockwise = 0;
    int m_flip = 0;
};
