#pragma once
// The parts the document and whiteboard panels share: the add button of their top row and the
// horizontally scrolling row below it.
#include <QString>

class QHBoxLayout;
class QScrollArea;
class QToolButton;
class QWidget;

namespace panelparts
{

// "微软雅黑" 10 pt, the add icon beside the text, white on rgb(77, 79, 99).
QToolButton* makeAddButton(QWidget* parent, const char* objectName, const QString& text);

// A transparent scroll area "scrollArea" that scrolls only sideways (6 px bar, the handle in
// `handleColour`, white on hover), with the content "scrollAreaWidgetContents" and its row
// (spacing 4, no margins) returned in `row`.
QScrollArea* makeScrollingRow(QWidget* parent, const char* handleColour, QHBoxLayout** row);

} // namespace panelparts
