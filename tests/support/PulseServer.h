#pragma once
// A private sound server for one test: a user-mode PulseAudio on a socket of its own, whose
// default source is a pipe that this helper feeds through ffmpeg (a virtual microphone), with a
// null sink beside it. Start it before anything in the process talks to a sound server (libobs
// reads its device list once, Qt Multimedia connects once): start() points PULSE_SERVER at it.
//
//   PulseServer pulse;
//   QVERIFY(pulse.start());
//   QVERIFY(pulse.feedSine(0.5)); // a 440 Hz sine at half scale; feedSine(0) is silence

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class PulseServer
{
public:
    // The description the microphone is listed under.
    static constexpr const char* kMicDescription = "solvek-test-microphone";

    PulseServer() = default;
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the server and waits until it answers (at most 10 s); sets PULSE_SERVER.
    bool start();
    void stop();
    QString address() const; // unix:<socket>

    // Replaces what the microphone hears: 44100 Hz stereo, a 440 Hz sine of `amplitude` times full
    // scale in both channels (0: silence), in real time until the next call or stop().
    bool feedSine(double amplitude);

private:
    void stopFeeder();

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_feeder;
};
