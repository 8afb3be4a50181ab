// Colours of a label given by a style sheet that reaches that label alone.
#pragma once

#include <QString>

class QLabel;

/// Sets `declarations` ("color: #ffff00;") as the label's style, under a selector of its object name. A bare
/// sheet would cascade to everything styled through the label, the hint (tooltip) it shows among them, and put
/// the label's colours onto the hint's pale ground.
void setLabelColours(QLabel *label, const QString &declarations);
