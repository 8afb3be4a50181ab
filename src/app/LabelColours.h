// Colours of a label given by a style sheet that reaches that label alone.
#pragma once

#include <QString>

class QColor;
class QLabel;
class QRect;

/// Sets `declarations` ("color: #ffff00;") as the label's style, under a selector of its object name. A bare
/// sheet would cascade to everything styled through the label, the hint (tooltip) it shows among them, and put
/// the label's colours onto the hint's pale ground.
void setLabelColours(QLabel *label, const QString &declarations);

/// Places a label whose text changes every second: text colour `text` on a plain ground of colour `ground` (the
/// colour of whatever lies beneath it there), both through its palette, so that no style sheet is consulted at
/// each of its paints and its hint keeps the hint's own colours. The label fills that ground itself, so a new text
/// redraws the label alone rather than everything under it too, and its size is fixed, so a new text asks its
/// parent for no new layout.
void placeTickingLabel(QLabel *label, const QRect &geometry, const QColor &text, const QColor &ground);
