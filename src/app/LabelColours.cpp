#include "app/LabelColours.h"

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QRect>

void setLabelColours(QLabel *label, const QString &declarations)
{
    label->setStyleSheet(QStringLiteral("QLabel#%1 { %2 }").arg(label->objectName(), declarations));
}

void placeTickingLabel(QLabel *label, const QRect &geometry, const QColor &text, const QColor &ground)
{
    label->setGeometry(geometry);
    label->setFixedSize(geometry.size());
    QPalette palette = label->palette();
    palette.setColor(label->foregroundRole(), text);
    palette.setColor(label->backgroundRole(), ground);
    label->setPalette(palette);
    // An opaque filled background: Qt then draws nothing of the siblings beneath for the label's updates.
    label->setAutoFillBackground(true);
}
