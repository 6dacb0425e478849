#pragma once
// Text from outside (the service, the room) on its way into widgets.

#include <QString>

namespace solvek {

// A tool tip that shows `text` literally: Qt renders a tool tip as rich text whenever it looks
// like markup, and rich text loads the pictures it names (from any local file).
QString plainToolTip(const QString& text);

// `text` without the explicit bidirectional embeddings, overrides and isolates (U+202A-U+202E,
// U+2066-U+2069): a viewer's run could otherwise reorder whatever follows it on the line.
QString withoutBidiControls(const QString& text);

} // namespace solvek
