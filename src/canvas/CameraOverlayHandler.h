#pragma once
// The mouse handling of the host's camera overlay on the preview: which edge a press grabs, how a
// drag moves the overlay and how an edge drag resizes it, in the three handlings the window has
// (the landscape share, the document page and the portrait share).
//
// It owns the grab state that lives from one press to the release (four edge flags, the moving
// flag, the press point and the move point). It reads nothing itself: for each mouse event the
// window hands it a Scene (the camera's read-back, preview, canvas and share-label sizes, the
// engine's preview scale, the window state and whether the camera's menu may open), and it answers
// with a Result: the engine calls to make on the camera source, the cursor to show, whether the
// context menu opens and whether the separate camera window hides its menus. The window only feeds
// it and carries the Result out.
#include <QPoint>
#include <QSize>
#include <Qt>

#include <vector>

class CameraOverlayHandler
{
public:
    enum class Handling { LandscapeShare, Document, Portrait };
    enum Edge { Left = 0, Top = 1, Right = 2, Bottom = 3 };

    // Hit-test bands (preview pixels) around each edge.
    static constexpr int kBand = 10;
    static constexpr int kPortraitBand = 5;

    struct Scene {
        Handling handling = Handling::LandscapeShare;
        // scene_get_source_rect of the camera: position (canvas units, whole numbers) and shown
        // size (canvas units; a mirrored camera has a negative width). False skips every geometry
        // step.
        bool cameraRead = false;
        int x = 0;
        int y = 0;
        float w = 0;
        float h = 0;
        // scene_get_source_rectf of the camera (the document move works on the exact position).
        bool cameraReadF = false;
        float fx = 0;
        float fy = 0;
        float fw = 0;
        float fh = 0;
        QSize preview;        // the preview widget (sx, sy are its size over the canvas's)
        QSize canvas;         // the canvas size the window keeps
        QSize shareLabel;     // the share label (portrait); empty while it is hidden
        float previewScale = 0; // the engine's preview scale, as read (0 while a share sets up)
        bool maximized = false;
        // The context menu may open: the tool's camera-overlay flag, in the share tool also a
        // running share.
        bool menuAllowed = false;
    };

    // One engine call on the camera source.
    struct EngineCall {
        enum Op {
            Pos,      // scene_set_source_pos (whole numbers)
            PosfAbs,  // scene_set_source_posf_abs (not portrait, not canvas units)
            BaseSize, // scene_set_source_base_size (unused 1, no 640 x 480, not canvas units)
        };
        Op op;
        float a;
        float b;
    };

    struct Result {
        bool consumed = false;
        bool setsCursor = false;
        Qt::CursorShape cursor = Qt::ArrowCursor;
        bool openMenu = false;        // the context menu opens at the pointer for the local camera
        bool hideCameraMenus = false; // the separate camera window hides its menus
        std::vector<EngineCall> calls;
    };

    Result press(const Scene& scene, const QPoint& p, Qt::MouseButton button);
    Result move(const Scene& scene, const QPoint& p, Qt::MouseButtons buttons);
    Result release(const Scene& scene);

    bool edge(Edge e) const { return m_edges[e]; }
    bool anyEdge() const { return m_edges[0] || m_edges[1] || m_edges[2] || m_edges[3]; }
    bool moving() const { return m_moving; }
    QPoint lastPrePoint() const { return m_lastPrePoint; }
    QPoint movePoint() const { return m_movePoint; }

private:
    void hitTest(const Scene& scene, const QPoint& p, Result& r);
    void moveOverlay(const Scene& scene, const QPoint& p, Result& r);
    bool resizeLandscape(const Scene& scene, const QPoint& p, Result& r) const;
    bool resizeDocument(const Scene& scene, const QPoint& p, Result& r) const;
    bool resizePortrait(const Scene& scene, const QPoint& p, Result& r) const;
    void clearGrab();

    bool m_edges[4] = {false, false, false, false};
    bool m_moving = false;
    QPoint m_lastPrePoint;
    QPoint m_movePoint;
};
