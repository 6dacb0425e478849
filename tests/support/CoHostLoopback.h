#pragma once
// What the co-host tests against the simulator's loopback room share: a co-host room, remote
// users the simulator sends coloured frames for, and the colour check on painted widgets.

#include "cohost/TrtcManager.h"

#include <QColor>
#include <QString>

#include <memory>

class SceneCenterWidget;
class SceneRemoteWidget;
class SimulatorProcess;
class TrtcLoopback;
struct LiveRoomInfo;

namespace cohostloopback
{
// Starts the simulator, keeps user documents under `docRoot` and signs the host in (uid 4242).
bool startSignedIn(SimulatorProcess& sim, const QString& docRoot, LoginInfo& login);
// Channels within `tolerance` of each other (scaling smudges the injected colour a little).
bool nearColour(QRgb a, QRgb b, int tolerance = 12);
// The co-host id of a real-time user id, as the main window reads it (-1: not a co-host).
int coHostId(const char* userId);
// Makes `roomId` the simulator's only room, a co-host room (live_type 5) pushing to `stream`.
bool setCoHostRoom(const SimulatorProcess& sim, int roomId, const QString& stream);
// A remote user of the loopback room joins or changes what it sends.
bool setRemoteUser(const SimulatorProcess& sim, int roomId, const QString& userId, bool video, bool audio);
// The colour the simulator paints the user's frames in.
QRgb injectedColour(const SimulatorProcess& sim, int roomId, const QString& userId);

// The loopback cloud installed as the process's, a manager of the test's own for `login`, and the
// scene centre strip (shown) with one co-host tile, whose video reports reach it as the main
// window routes them. Everything goes, and the previous cloud comes back, at destruction.
class LoopbackStage
{
public:
    LoopbackStage(LoginInfo* login, int roomId, int coHostSpaceId);
    ~LoopbackStage();
    // Enters the room (a co-host room pushing to `stream`) and waits for the mix's publication.
    bool enterPublished(LiveRoomInfo& room, const QString& stream, int waitMs);

    TrtcManager& manager() { return *m_manager; }
    SceneCenterWidget& strip() { return *m_strip; }
    SceneRemoteWidget* tile() const { return m_tile; }

private:
    int m_roomId;
    std::unique_ptr<TrtcLoopback> m_loopback;
    TrtcCloud* m_previous = nullptr;
    std::unique_ptr<TrtcManager> m_manager;
    TrtcMicUserInfo m_user;
    std::unique_ptr<SceneCenterWidget> m_strip;
    SceneRemoteWidget* m_tile = nullptr;
};
} // namespace cohostloopback
