#pragma once
// One engine source that an applied scene layout put on the canvas: a picture tile or the
// background. The window keeps them so that leaving the layout tool, a page turn or the next
// application can find and remove them again.
#include <QString>

struct SceneSourceInfo {
    QString name;       // "image_source%1"
    float x = 0, y = 0; // the tile's rectangle as fractions of the editor preview;
    float w = 0, h = 0; // all 0 for the background
    QString folder;     // the tile's page folder; empty for the background
    QString imagePath;  // the picture the source shows now; empty for the background
    bool isBackground = false;
    int num = -1; // the tile's number; -1 for the background
};
