// The broadcast-cost benchmark's part of the tour (bench/cpu_program_compare.sh): a document page on
// the canvas with the camera overlay on it (a picture stands in for the camera, which this machine
// lacks), put there through the document list and the program's own placement; then a broadcast
// held for a while, its CPU counted from the moment the output runs to the end of the hold. The
// scene as libobs holds it at the end (sources, item transforms, displays, video, encoders) is
// written out, so that a bare libobs program can rebuild exactly that scene.
#include "DemoTour.h"
#include "TourTexts.h"

#include "HostActions.h"

#include "core/DataCenter.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentDialogs.h"
#include "documents/DocumentShareWidget.h"
#include "engine/ObsLiveCore.h"
#include "platform/X11Window.h"
#include "shell/LiveMainWindow.h"

#include <QFileInfo>

#include <obs.h>
#include <graphics/matrix4.h>
#include <graphics/vec3.h>

#include <sys/resource.h>

namespace tour {

namespace {
using namespace tour::texts;
const QString kAddDocument = QString::fromUtf8("添加文档");
constexpr int kBenchTimeoutMs = 60000;

ObsLiveCore* engine() { return dynamic_cast<ObsLiveCore*>(LiveCore::get_instance()); }

// CPU time of the whole process (every thread, user and system), in seconds.
double processCpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

obs_data_t* sourceRecord(obs_source_t* source)
{
    obs_data_t* record = obs_data_create();
    obs_data_set_string(record, "id", obs_source_get_id(source));
    obs_data_t* settings = obs_source_get_settings(source);
    obs_data_set_obj(record, "settings", settings);
    obs_data_release(settings);
    obs_data_set_bool(record, "enabled", obs_source_enabled(source));
    return record;
}

obs_data_t* itemRecord(obs_sceneitem_t* item)
{
    obs_data_t* record = sourceRecord(obs_sceneitem_get_source(item));
    obs_transform_info t = {};
    obs_sceneitem_get_info(item, &t);
    obs_data_set_bool(record, "visible", obs_sceneitem_visible(item));
    obs_data_set_double(record, "pos_x", t.pos.x);
    obs_data_set_double(record, "pos_y", t.pos.y);
    obs_data_set_double(record, "scale_x", t.scale.x);
    obs_data_set_double(record, "scale_y", t.scale.y);
    obs_data_set_double(record, "rot", t.rot);
    obs_data_set_int(record, "alignment", t.alignment);
    obs_data_set_int(record, "bounds_type", t.bounds_type);
    obs_data_set_int(record, "bounds_alignment", t.bounds_alignment);
    obs_data_set_double(record, "bounds_x", t.bounds.x);
    obs_data_set_double(record, "bounds_y", t.bounds.y);
    obs_sceneitem_crop crop = {};
    obs_sceneitem_get_crop(item, &crop);
    obs_data_set_int(record, "crop_left", crop.left);
    obs_data_set_int(record, "crop_top", crop.top);
    obs_data_set_int(record, "crop_right", crop.right);
    obs_data_set_int(record, "crop_bottom", crop.bottom);
    // Where the item's middle lands, as fractions of the canvas (the frame check looks there).
    matrix4 box = {};
    obs_sceneitem_get_box_transform(item, &box);
    vec3 middle = {};
    vec3_set(&middle, 0.5f, 0.5f, 0.0f);
    vec3_transform(&middle, &middle, &box);
    obs_video_info ovi = {};
    obs_get_video_info(&ovi);
    obs_data_set_double(record, "middle_x", ovi.base_width ? middle.x / float(ovi.base_width) : 0);
    obs_data_set_double(record, "middle_y", ovi.base_height ? middle.y / float(ovi.base_height) : 0);
    return record;
}

obs_data_t* encoderRecord(obs_encoder_t* encoder)
{
    obs_data_t* record = obs_data_create();
    if (!encoder)
        return record;
    obs_data_set_string(record, "id", obs_encoder_get_id(encoder));
    obs_data_t* settings = obs_encoder_get_settings(encoder);
    obs_data_set_obj(record, "settings", settings);
    obs_data_release(settings);
    return record;
}
} // namespace

// ---- the scene -----------------------------------------------------------------------------

void DemoTour::addBenchSceneSteps()
{
    Step camera;
    camera.title = QStringLiteral("a picture stands in for the camera");
    camera.stages << Stage{QStringLiteral("the engine lists one camera"),
                           [this] {
                               if (!writeTourDocuments(m_options.documentsDir, &m_docs, &m_docError))
                                   return;
                               if (ObsLiveCore* core = engine())
                                   core->standInCameraPicture(m_docs.leftPicture);
                           },
                           [] { return engine() && engine()->core_get_camera_count() == 1; }, 15000,
                           [this] { return m_docError; }};
    m_runner.add(camera);

    Step add;
    add.title = QStringLiteral("add the PDF through the document list");
    add.stages << Stage{QStringLiteral("the document list is shown"),
                        [this] { click(visibleChildWithText(mainNamed("preview_widget"), kAddDocument)); },
                        [this] { return documentList() != nullptr; }};
    add.stages << Stage{QStringLiteral("the PDF is ready"),
                        [this] {
                            auto queue = std::make_shared<QStringList>(QStringList{m_docs.pdf});
                            DocumentDialogs::chooseFile = [queue](QWidget*, const QString&, const QString&) {
                                return queue->isEmpty() ? QString() : queue->takeFirst();
                            };
                            click(named(documentList(), "loadFile_btn"));
                        },
                        [this] { return converted({m_docs.pdf}); }, kBenchTimeoutMs, [this] { return conversionFailure(); }};
    m_runner.add(add);

    Step use;
    use.title = QStringLiteral("use the PDF: page 1 and the camera overlay on the preview");
    use.stages << Stage{QStringLiteral("the preview shows page 1's red square"), [this] { useDocument(m_docs.pdf); },
                        [this] {
                            auto* core = engine();
                            return pageShows(mark::kPage1) && core && core->scene_has_source("camera source");
                        },
                        kBenchTimeoutMs};
    m_runner.add(use);
}

// ---- the held broadcast --------------------------------------------------------------------

void DemoTour::addHoldLiveStep()
{
    Step start;
    start.title = QStringLiteral("start the broadcast");
    start.stages << Stage{QStringLiteral("the status says ") + kLive + QStringLiteral(" and the output runs"),
                          [this] { click(mainNamed("live_mode_btn")); },
                          [this] {
                              ObsLiveCore* core = engine();
                              if (mainText("live_status_label") != kLive || !core || !core->streamOutput() ||
                                  !obs_output_active(core->streamOutput()))
                                  return false;
                              // The counted time starts with the running output.
                              m_settle.start();
                              m_holdCpuStartS = processCpuSeconds();
                              return true;
                          },
                          30000};
    m_runner.add(start);

    Step hold;
    hold.title = QStringLiteral("stay live for %1 s").arg(m_options.holdLiveSeconds);
    hold.stages << Stage{QStringLiteral("the time has passed while live"), {},
                         [this] {
                             if (m_settle.elapsed() < m_options.holdLiveSeconds * 1000)
                                 return false;
                             const double wallS = double(m_settle.elapsed()) / 1000.0;
                             const double cpu = 100.0 * (processCpuSeconds() - m_holdCpuStartS) / wallS;
                             ObsLiveCore* core = engine();
                             obs_output_t* out = core ? core->streamOutput() : nullptr;
                             m_liveFigures = QStringLiteral("live seconds=%1 cpu_percent=%2 frames=%3 dropped=%4 lagged=%5")
                                                 .arg(wallS, 0, 'f', 1)
                                                 .arg(cpu, 0, 'f', 1)
                                                 .arg(out ? obs_output_get_total_frames(out) : -1)
                                                 .arg(out ? obs_output_get_frames_dropped(out) : -1)
                                                 .arg(obs_get_lagged_frames());
                             if (!m_options.benchScene.isEmpty())
                                 writeBenchScene(m_options.benchScene);
                             return true;
                         },
                         m_options.holdLiveSeconds * 1000 + 5000,
                         [this]() -> QString {
                             return mainText("live_status_label") != kLive ? QStringLiteral("the broadcast ended")
                                                                           : QString();
                         }};
    hold.detail = [this] { return m_liveFigures; };
    m_runner.add(hold);
}

void DemoTour::writeBenchScene(const QString& path) const
{
    ObsLiveCore* core = engine();
    if (!core)
        return;
    obs_data_t* scene = obs_data_create();

    obs_video_info ovi = {};
    obs_get_video_info(&ovi);
    obs_data_t* video = obs_data_create();
    obs_data_set_int(video, "base_width", ovi.base_width);
    obs_data_set_int(video, "base_height", ovi.base_height);
    obs_data_set_int(video, "output_width", ovi.output_width);
    obs_data_set_int(video, "output_height", ovi.output_height);
    obs_data_set_int(video, "fps_num", ovi.fps_num);
    obs_data_set_int(video, "fps_den", ovi.fps_den);
    obs_data_set_int(video, "output_format", ovi.output_format);
    obs_data_set_int(video, "colorspace", ovi.colorspace);
    obs_data_set_int(video, "range", ovi.range);
    obs_data_set_int(video, "scale_type", ovi.scale_type);
    obs_data_set_obj(scene, "video", video);
    obs_data_release(video);

    // Items bottom to top, as libobs draws them.
    obs_data_array_t* items = obs_data_array_create();
    if (core->state().scene) {
        obs_scene_enum_items(
            core->state().scene,
            [](obs_scene_t*, obs_sceneitem_t* item, void* list) {
                obs_data_t* record = itemRecord(item);
                obs_data_array_push_back(static_cast<obs_data_array_t*>(list), record);
                obs_data_release(record);
                return true;
            },
            items);
    }
    obs_data_set_array(scene, "items", items);
    obs_data_array_release(items);

    obs_data_array_t* channels = obs_data_array_create();
    for (uint32_t channel = 1; channel < MAX_CHANNELS; ++channel) {
        obs_source_t* source = obs_get_output_source(channel);
        if (!source)
            continue;
        obs_data_t* record = sourceRecord(source);
        obs_data_set_int(record, "channel", channel);
        obs_data_array_push_back(channels, record);
        obs_data_release(record);
        obs_source_release(source);
    }
    obs_data_set_array(scene, "channels", channels);
    obs_data_array_release(channels);

    // Every display the engine draws into, at its size, with how many draws it makes a frame.
    obs_data_array_t* displays = obs_data_array_create();
    for (const auto& d : core->state().displays) {
        if (!d.second)
            continue;
        int width = 0, height = 0;
        platform::nativeClientSize(d.first, &width, &height);
        obs_data_t* record = obs_data_create();
        obs_data_set_int(record, "width", width);
        obs_data_set_int(record, "height", height);
        obs_data_set_int(record, "draws", core->drawRegistrations(d.first));
        obs_data_set_bool(record, "enabled", obs_display_enabled(d.second));
        obs_data_array_push_back(displays, record);
        obs_data_release(record);
    }
    obs_data_set_array(scene, "displays", displays);
    obs_data_array_release(displays);

    obs_output_t* out = core->streamOutput();
    obs_data_t* venc = encoderRecord(out ? obs_output_get_video_encoder(out) : nullptr);
    obs_data_t* aenc = encoderRecord(out ? obs_output_get_audio_encoder(out, 0) : nullptr);
    obs_data_set_obj(scene, "video_encoder", venc);
    obs_data_set_obj(scene, "audio_encoder", aenc);
    obs_data_release(venc);
    obs_data_release(aenc);
    obs_data_set_int(scene, "output_width", out ? obs_output_get_width(out) : 0);
    obs_data_set_int(scene, "output_height", out ? obs_output_get_height(out) : 0);

    obs_data_save_json(scene, QFile::encodeName(path).constData());
    obs_data_release(scene);
}

} // namespace tour
