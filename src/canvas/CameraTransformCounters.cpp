#include "canvas/CameraTransformCounters.h"

CameraTransformCounters& CameraTransformCounters::instance()
{
    static CameraTransformCounters counters;
    return counters;
}

int CameraTransformCounters::turnClockwise()
{
    const int degrees = m_clockwise * 90;
    --m_clockwise;
    m_anticlockwise = 0;
    if (m_clockwise < 0)
        m_clockwise = kClockwiseStart;
    return degrees;
}

int CameraTransformCounters::turnAnticlockwise()
{
    ++m_anticlockwise;
    const int degrees = m_anticlockwise * 90;
    if (m_anticlockwise > 3)
        m_anticlockwise = 0;
    return degrees;
}

bool CameraTransformCounters::nextFlip()
{
    const bool on = m_flip % 2 == 0;
    ++m_flip;
    if (m_flip > 1)
        m_flip = 0;
    return on;
}

void CameraTransformCounters::reset()
{
    m_clockwise = kClockwiseStart;
    m_anticlockwise = 0;
    m_flip = 0;
}

bool CameraTransformCounters::quarterTurned() const
{
    return m_clockwise == 0 || m_clockwise == 2 || m_anticlockwise == 1 || m_anticlockwise == 3;
}
