#pragma once
// The main window of a host after login and the store's settings it starts from. Offscreen tests
// make their engine fake before the window, so the window finds it.
//
//   FakeLiveCore core; LoginInfo info; std::unique_ptr<LiveMainWindow> w;
//   testsupport::setHostCanvas({1920, 1080});   // then core.cameras << "cam0" where wanted
//   w = testsupport::hostWindow(info);
//   ... testsupport::resetHostCanvas();            // in the fixture's destructor

#include "core/DataCenter.h"
#include "core/LoginInfo.h"
#include "shell/LiveMainWindow.h"

#include <QSize>
#include <QStringList>

#include <memory>

namespace testsupport {

// The store as the window will find it: a canvas of that size, the camera mirrored or not,
// portrait live mode or not, no camera chosen (the first one is taken).
inline void setHostCanvas(QSize canvas = {1920, 1080}, bool mirror = false, bool portrait = false)
{
    auto store = CDataCenter::getInstance();
    store->screenWidth = canvas.width();
    store->screenHeight = canvas.height();
    store->cameraMirror = mirror;
    store->liveMode = portrait;
    store->cameraName.clear();
}

// Puts back the camera settings a test may have changed: not mirrored, landscape, none chosen.
inline void resetHostCanvas()
{
    auto store = CDataCenter::getInstance();
    store->cameraMirror = false;
    store->liveMode = false;
    store->cameraName.clear();
}

// A window set up after login of host `uid` named "host"; `info` is filled in and must outlive it.
inline std::unique_ptr<LiveMainWindow> hostWindow(LoginInfo& info, int uid = 4242)
{
    info.uid = uid;
    info.name = "host";
    auto w = std::make_unique<LiveMainWindow>();
    w->initLiveMainWindowParams(&info);
    return w;
}

// The same window shown at the screen's top left (wait for it to be exposed before reading it).
inline std::unique_ptr<LiveMainWindow> shownHostWindow(LoginInfo& info, int uid)
{
    auto w = hostWindow(info, uid);
    w->move(0, 0);
    w->show();
    return w;
}

// The calls of an engine fake's log that name `source` as their first or only argument, in order.
inline QStringList callsNaming(const QStringList& calls, const QString& source)
{
    QStringList found;
    for (const QString& call : calls)
        if (call.contains("(" + source + ",") || call.contains("(" + source + ")"))
            found << call;
    return found;
}

} // namespace testsupport
