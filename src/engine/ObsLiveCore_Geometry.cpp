// ObsLiveCore: positions and sizes of scene items (the arithmetic is in SceneGeometry).
#include "engine/ObsLiveCore.h"

#include "core/DataCenter.h"
#include "engine/SceneGeometry.h"
#include "platform/X11Window.h"

#include <obs.h>

#include <QDebug>

#include <cstdio>

void ObsLiveCore::setPosition(const char* name, float x, float y)
{
    obs_sceneitem_t* item = findItem(name);
    if (!item)
        return;
    const geometry::Point p = geometry::clampPos({x, y}, CDataCenter::getInstance()->screenWidth);
    const vec2 pos = {{{p.x, p.y}}};
    obs_sceneitem_set_pos(item, &pos);
}

void ObsLiveCore::scene_set_source_pos(const char* name, int x, int y)
{
    if (!status.obs_started || !findItem(name))
        return;
    const geometry::Point p =
        geometry::posToCanvas(x, y, preview_wnd_scale, CDataCenter::getInstance()->liveMode);
    setPosition(name, p.x, p.y);
}

void ObsLiveCore::scene_set_source_posf(const char* name, float x, float y, bool portrait)
{
    scene_set_source_posf_abs(name, x, y, portrait, false);
}

void ObsLiveCore::scene_set_source_posf_abs(const char* name, float x, float y, bool portrait, bool canvas_units)
{
    if (!status.obs_started || !findItem(name))
        return;
    const geometry::Point p = geometry::posfToCanvas(x, y, preview_wnd_scale, CDataCenter::getInstance()->liveMode,
                                                     portrait, canvas_units);
    setPosition(name, p.x, p.y);
}

void ObsLiveCore::setItemSize(int op, const char* name, float width, float height, bool portrait, bool force640x480,
                              bool canvasUnits)
{
    if (!status.obs_started)
        return;
    obs_sceneitem_t* item = findItem(name);
    obs_source_t* source = status.find_source(name);
    if (!item || !source)
        return;
    const auto store = CDataCenter::getInstance();
    geometry::SizeRequest request;
    request.op = geometry::SizeOp(op);
    request.name = name;
    request.width = width;
    request.height = height;
    request.portrait = portrait;
    request.force640x480 = force640x480;
    request.canvasUnits = canvasUnits;
    geometry::SizeContext context;
    context.scale = preview_wnd_scale;
    context.liveMode = store->liveMode;
    context.swapCanvasSize = store->swapCanvasSize;
    context.taskBarHeight = store->taskBarHeight;
    context.docImageWidth = store->docImageWidth;
    context.docImageHeight = store->docImageHeight;
    platform::primaryScreenSize(&context.screenWidth, &context.screenHeight);

    const geometry::SizeResult r = geometry::computeItemScale(request, context, [source] {
        geometry::SourceSizes s;
        s.baseW = obs_source_get_base_width(source);
        s.baseH = obs_source_get_base_height(source);
        s.curW = obs_source_get_width(source);
        s.curH = obs_source_get_height(source);
        return s;
    });
    if (r.unusable) {
        qWarning() << "scene item size skipped:" << name << "has no usable reference size" << r.refW << r.refH;
        return;
    }
    if (r.reportUnscaled) {
        std::printf("x_scale = %f\t\ty_scale = %f\t\tbase_width = %f\t\tbase_height = %f\t\tpreview_wnd_scale = %f\n",
                    0.0, 0.0, r.refW, r.refH, double(preview_wnd_scale));
    }
    if (r.apply) {
        const vec2 scale = {{{r.scaleX, r.scaleY}}};
        obs_sceneitem_set_scale(item, &scale);
    }
}

void ObsLiveCore::scene_set_source_size(const char* name, int width, int height, bool portrait, bool force_640x480)
{
    setItemSize(int(geometry::SizeOp::Size), name, float(width), float(height), portrait, force_640x480, false);
}

void ObsLiveCore::scene_set_source_sizef(const char* name, float width, float height, bool portrait,
                                         bool force_640x480)
{
    setItemSize(int(geometry::SizeOp::SizeF), name, width, height, portrait, force_640x480, false);
}

void ObsLiveCore::scene_set_share_source_size(const char* name, int width, int height, bool portrait,
                                              bool force_640x480)
{
    setItemSize(int(geometry::SizeOp::Share), name, float(width), float(height), portrait, force_640x480, false);
}

void ObsLiveCore::scene_set_source_base_size(const char* name, float width, float height, int /*unused*/,
                                             bool force_640x480, bool canvas_units)
{
    setItemSize(int(geometry::SizeOp::BaseSize), name, width, height, false, force_640x480, canvas_units);
}

bool ObsLiveCore::scene_get_source_transform(const char* name, int* x, int* y, float* x_scale, float* y_scale)
{
    obs_sceneitem_t* item = status.obs_started ? findItem(name) : nullptr;
    if (!item)
        return false;
    vec2 pos, scale;
    obs_sceneitem_get_pos(item, &pos);
    obs_sceneitem_get_scale(item, &scale);
    int px = 0, py = 0;
    geometry::positionToPreview(pos.x, pos.y, preview_wnd_scale, &px, &py);
    if (x)
        *x = px;
    if (y)
        *y = py;
    if (x_scale)
        *x_scale = scale.x;
    if (y_scale)
        *y_scale = scale.y;
    return true;
}

bool ObsLiveCore::scene_get_source_rectf(const char* name, float* x, float* y, float* width, float* height)
{
    obs_sceneitem_t* item = status.obs_started ? findItem(name) : nullptr;
    if (!item)
        return false;
    obs_source_t* source = status.find_source(name);
    vec2 pos, scale;
    obs_sceneitem_get_pos(item, &pos);
    obs_sceneitem_get_scale(item, &scale);
    if (x)
        *x = pos.x;
    if (y)
        *y = pos.y;
    if (width)
        *width = scale.x * float(obs_source_get_width(source));
    if (height)
        *height = scale.y * float(obs_source_get_height(source));
    return true;
}

bool ObsLiveCore::scene_get_source_rect(const char* name, int* x, int* y, float* width, float* height)
{
    float fx = 0, fy = 0;
    if (!scene_get_source_rectf(name, &fx, &fy, width, height))
        return false;
    if (x)
        *x = int(fx);
    if (y)
        *y = int(fy);
    return true;
}
