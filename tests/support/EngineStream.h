#pragma once
// The real engine with a picture on its canvas, started as the main window starts it, and what a
// private RTMP server recorded of a stream key: shared by the engine's stream tests and the
// engine drill.

#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/ObsLiveCore.h"
#include "platform/X11Window.h"
#include "support/RtmpServer.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <memory>

namespace testsupport {

// Installs `store` (settings in `dir`) and `core`, starts libobs on the screen-sized canvas at
// 25 fps, push quality 0, and puts a picture of `colour` on the canvas.
inline bool startEngineWithPicture(ObsLiveCore& core, const std::shared_ptr<CDataCenter>& store, const QDir& dir,
                                   const QColor& colour)
{
    CDataCenter::setInstanceForTesting(store);
    platform::primaryScreenSize(&store->screenWidth, &store->screenHeight);
    store->streamQuality = 0;
    LiveCore::set_instance(&core);
    if (!runLiveCoreStartup(store->screenWidth, store->screenHeight))
        return false;
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(colour);
    const QString file = dir.filePath(QStringLiteral("picture.png"));
    return picture.save(file) && core.core_create_image_source("image_source", 0) &&
           core.source_set_image_file("image_source", file, false) &&
           core.scene_add_source(nullptr, nullptr, "image_source", true);
}

// What the live control does at a start: a video reset of the screen-sized canvas to `fps`, then
// a fresh set of stream objects and the stream.
inline bool startEngineStream(ObsLiveCore& core, CDataCenter& store, const QString& server, const QString& key,
                              int fps = 25)
{
    store.pushServer = server;
    store.pushKey = key;
    core.core_reset_video(store.screenWidth, store.screenHeight, store.screenWidth, store.screenHeight, fps);
    return core.core_init_stream() &&
           core.set_stream_parameters(server.toUtf8().constData(), key.toUtf8().constData(), 2500, 160) &&
           core.start_stream();
}

// Bytes recorded of a key so far, over all its recordings, and how many there are.
inline qint64 recordedBytes(const RtmpServer& rtmp, const QString& key, int* files = nullptr)
{
    const QFileInfoList list = QDir(rtmp.recordDir()).entryInfoList({key + QStringLiteral("*.flv")}, QDir::Files);
    qint64 total = 0;
    for (const QFileInfo& f : list)
        total += f.size();
    if (files)
        *files = list.size();
    return total;
}

} // namespace testsupport
