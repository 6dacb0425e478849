#pragma once
// How the preview and the labels over it are fitted again when the main window is maximised,
// restored or resized. A pure function over plain values: the main window reads its widgets' state,
// calls refit, and applies the result to the widgets and the engine.
//
// Units: rectangles are widget pixels (the preview in its parent, render_frame; the labels in the
// preview); the share source's size and position and the camera position are what the engine's
// scene_set_source_size / scene_set_source_pos take after the preview scale the result sets.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace previewrefit
{

// Which of the window's three ways into a re-fit runs.
enum class Path {
    ResizeEvent, // the window's resizeEvent
    Maximise,    // the maximise button, maximising
    Restore,     // the maximise button, restoring
};

// What happens to the display on the share label (only while the label is visible).
enum class DisplayAction {
    None,          // no visible share label
    Keep,          // kept, and its label kept its size
    Resize,        // kept, but its label changed size: the display follows the label
    RemakeSource,  // core_destroy_source_display, then core_create_display
    Remake,        // core_destory_display, then core_create_display
};

struct Input {
    QRect renderArea; // R: render_frame's area in the coordinates the preview is placed in
    int canvasWidth = 1920;
    int canvasHeight = 1080;
    bool portrait = false; // portrait live mode: "LiveMode" on and the share tool current
    Path path = Path::ResizeEvent;
    bool maximised = false; // the window's maximised flag (after the button's toggle)
    int shareKind = -1;     // 0 desktop, 1 window, -1 no share
    bool shareLabelVisible = false;
    QSize shareLabelSize; // the share label's size before the re-fit
    bool documentLabelVisible = false;
    bool sceneLabelVisible = false;
    // The scene label lies shown inside the preview (not hidden, not out in full screen).
    bool sceneLabelInPreview = false;
    int tool = -1;           // the current tool (LiveType)
    bool sceneInUse = false; // the scene strip exists and a scene is applied
};

struct Result {
    QRect preview;
    bool column = false; // portrait: the preview is a 9:16 column of fixed width, centred
    std::optional<QRect> shareLabel;
    // The document label's geometry; the page is fitted again after it.
    std::optional<QRect> documentLabel;
    std::optional<QSize> sceneLabelSize;
    bool reapplyScene = false;
    // Portrait share picture.
    std::optional<QSize> previewScale; // core_update_preview_scale
    QString shareSource;               // empty: no source to place
    QSize sourceSize;                  // scene_set_source_size(name, w, h, true, false)
    QPoint sourcePos;                  // scene_set_source_pos
    std::optional<QRect> shownStrip;
    std::optional<QPoint> camera; // scene_set_source_pos("camera source", ...)
    DisplayAction display = DisplayAction::None;
    // After the display, in resizeEvent only: where the scene label goes.
    std::optional<QRect> sceneLabelAfter;
};

Result refit(const Input& in);

} // namespace previewrefit
