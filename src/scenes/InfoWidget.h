#pragma once
// The records a scene layout is made of, shared by the layout editor, the scene strip's thumbnails
// and the canvas.
//
// A record is made once, when a thumbnail turns its tiles into records, and never changes after;
// the canvas keeps the records of the layout in use even after the thumbnail has rebuilt or dropped
// its own, so records are handed out by shared pointer and live while anyone holds one.

#include <QString>

#include <memory>
#include <vector>

// A tile's rectangle as fractions of the editor's 600 x 338 preview area (single precision).
struct PosWeight {
    float x = 0.f;
    float y = 0.f;
    float w = 0.f;
    float h = 0.f;
};

// The editor's preview area, the unit of PosWeight.
constexpr int kScenePreviewWidth = 600;
constexpr int kScenePreviewHeight = 338;
constexpr int kSceneMaxTiles = 20;

// One tile of a saved layout.
struct InfoWidget {
    QString folder;     // page folder of the chosen document; kept when the tile becomes the camera
    QString filePath;   // folder + "/pic0.png"; kept like folder
    QString spare;      // always empty
    QString content;    // "摄像头", "副麦" or a document's display name
    int kind = 2;       // 0 camera, 1 co-host, 2 picture or document
    PosWeight rect;
    int num = 0;        // tile number, 1 to 20
    QString background; // the layout's background picture, the same in every record of a layout
};

using InfoWidgetPtr = std::shared_ptr<const InfoWidget>;
using InfoWidgetVec = std::vector<InfoWidgetPtr>;

// The layout type; only lecture_in_chief travels to the canvas (as bLectureLayout).
enum SceneLayoutType : int {
    lecture_in_chief = 0,
    one_for_one = 1,
    courseware = 2,
    triple_screen = 3,
    four_screen = 4,
    speaker = 5,
};
