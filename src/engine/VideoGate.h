#pragma once
// What keeps libobs' video from being reset: everything that can still reach the current video
// from a thread of its own. An output set holds the gate from the moment a start of its output is
// posted until its stop is reported (an output that never started lets go when its start job
// ends); a job of the raw callback worker holds it from its posting until it has run (adding or
// removing a raw callback reaches the video). The engine resets the video only while the gate is
// open.
//
// Only the window's thread closes the gate (it posts the starts and the jobs); any thread may open
// it. So a check on the window's thread that finds it open stays true until that thread itself
// posts something, and the reset that follows cannot meet a thread starting on the old video.

#include <atomic>

class VideoGate
{
public:
    // One holder per output set: holding twice counts once, letting go twice too.
    class Holder
    {
        friend class VideoGate;
        std::atomic<bool> held{false};
    };

    void hold(Holder& holder)
    {
        if (!holder.held.exchange(true))
            ++m_count;
    }
    void letGo(Holder& holder)
    {
        if (holder.held.exchange(false))
            --m_count;
    }
    // A raw callback job: held from its posting until it has run.
    void holdJob() { ++m_count; }
    void jobDone() { --m_count; }

    bool isOpen() const { return m_count.load() == 0; }
    int holders() const { return m_count.load(); }

private:
    std::atomic<int> m_count{0};
};
