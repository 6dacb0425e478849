#pragma once
// What the tiles of the scene centre share: the host camera tile and the co-host tiles paint the
// same rounded frame, keep their floating tool bar window glued under them in screen
// coordinates, start their drags onto the preview the same way, and name their user the same way
// in the tool bar.

#include <QList>
#include <QSize>
#include <QString>
#include <Qt>

#include <functional>
#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QMimeData;
class QPushButton;
class QWidget;

namespace scenetile
{

// The rounded frame of a tile: outline (81, 88, 126), fill (23, 26, 44), radius 10.
void paintTileFrame(QWidget* tile);

// The tool bar is a window of its own, so it follows its tile only when told: it goes to the
// tile's global top-left + (2, tile height - 24) and keeps its own size.
constexpr int kToolBarLeft = 2;
constexpr int kToolBarAboveBottom = 24;
void placeToolBar(QWidget* tile, QWidget* toolBar);

// Starts a tile drag (move only) and returns how it ended. Replaceable, so tests see the drag
// without QDrag::exec running a nested loop that waits for a drop.
using TileDragStarter = std::function<Qt::DropAction(QWidget* source, QMimeData* mime)>;
TileDragStarter& tileDragStarter();
// A drag whose MIME text is `text` (the drag protocol's tile id), through the starter.
Qt::DropAction startTileDrag(QWidget* source, const QString& text);

// The user's name in a tool bar: elided at the right to 80 px in the label's font, the whole name
// (plain text) as tool tip, with the given style; the label is shown.
constexpr int kAnchorNameWidth = 80;
void showAnchorName(QLabel* label, const QString& name, const QString& style);

// The form both tool bars share: a frameless, translucent tool window of its own (so it can hang
// over the strip's edge) holding the name label, a stretch and 20 x 20 icon buttons (16 x 16
// icons, the dark rounded style) in the given order.
struct ToolBarForm {
    QHBoxLayout* layout = nullptr;
    QLabel* nameLabel = nullptr;
    QList<QPushButton*> buttons;
};
ToolBarForm buildToolBar(QWidget* bar, const char* title, QSize size, std::initializer_list<const char*> buttonNames);

} // namespace scenetile
