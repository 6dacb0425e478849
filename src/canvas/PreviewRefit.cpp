#include "canvas/PreviewRefit.h"

namespace previewrefit
{
namespace
{
constexpr int kSceneLayoutTool = 3; // re-applies its scene on a resize

// The camera overlay's corner in portrait: 680 x 158 label pixels (doubled) in from the canvas's
// bottom-right corner, in the label's own scale.
std::optional<QPoint> portraitCamera(int labelWidth, int h9, int canvasW, int canvasH)
{
    if (labelWidth <= 0 || h9 <= 0 || canvasW <= 0 || canvasH <= 0)
        return std::nullopt;
    const float fw = float(labelWidth) / float(canvasW);
    const float fh = float(h9) / float(canvasH);
    const int x = int(float(canvasW) - float(int(2 * 680 * fw)) / fw);
    const int y = int(float(canvasH) - float(int(2 * 158 * fh)) / fh);
    return QPoint(x, y);
}

DisplayAction displayAction(const Input& in, bool labelResized)
{
    if (!in.shareLabelVisible)
        return DisplayAction::None;
    DisplayAction action = DisplayAction::Keep;
    switch (in.path) {
    case Path::ResizeEvent:
        if (in.portrait && !in.maximised)
            action = DisplayAction::RemakeSource;
        break;
    case Path::Maximise:
        action = in.portrait ? DisplayAction::RemakeSource : DisplayAction::Remake;
        break;
    case Path::Restore:
        if (!in.portrait)
            action = DisplayAction::Remake;
        break;
    }
    if (action == DisplayAction::Keep && labelResized)
        action = DisplayAction::Resize;
    return action;
}
} // namespace

Result refit(const Input& in)
{
    Result out;
    const QRect& R = in.renderArea;
    QSize labelAfter = in.shareLabelSize;

    if (in.portrait) {
        const int columnW = R.height() * 9 / 16;
        out.column = true;
        out.preview = QRect((R.width() - columnW) / 2, 0, columnW, R.height());
        if (in.shareLabelVisible) {
            const QRect label(0, 0, out.preview.width(), out.preview.height());
            out.shareLabel = label;
            labelAfter = label.size();
            const int h9 = label.width() * 9 / 16;
            const int stripTop = (out.preview.height() - h9) / 2;
            out.previewScale = QSize(2 * label.width(), 2 * h9);
            if (in.shareKind == 0 || in.shareKind == 1) {
                out.shareSource = QString::fromLatin1(in.shareKind == 0 ? "desktop source" : "window source");
                out.sourceSize = QSize(label.width(), h9);
                // The restored window puts the picture on the strip; the maximised one at the
                // place the window share uses there.
                out.sourcePos = QPoint(0, in.maximised ? h9 + out.preview.height() / 2 : stripTop);
            }
            out.shownStrip = QRect(0, stripTop, label.width(), h9);
            if (!(in.path == Path::ResizeEvent && !in.maximised))
                out.camera = portraitCamera(label.width(), h9, in.canvasWidth, in.canvasHeight);
        }
    } else {
        out.preview = R;
        if (in.shareLabelVisible) {
            out.shareLabel = out.preview;
            labelAfter = out.preview.size();
        }
        if (in.documentLabelVisible)
            out.documentLabel = out.preview;
        if (in.sceneLabelVisible)
            out.sceneLabelSize = out.preview.size();
        out.reapplyScene = in.path == Path::ResizeEvent && in.tool == kSceneLayoutTool && in.sceneInUse;
    }

    out.display = displayAction(in, labelAfter != in.shareLabelSize);

    // The scene label waits at the canvas's size for its next showing; shown in the preview it
    // keeps the preview's size, or only its top-left part would be seen.
    if (in.path == Path::ResizeEvent && !in.sceneLabelInPreview)
        out.sceneLabelAfter = QRect(0, 0, in.canvasWidth, in.canvasHeight);
    return out;
}

} // namespace previewrefit
