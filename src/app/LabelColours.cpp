#include "app/LabelColours.h"

#include <QLabel>

void setLabelColours(QLabel *label, const QString &declarations)
{
    label->setStyleSheet(QStringLiteral("QLabel#%1 { %2 }").arg(label->objectName(), declarations));
}
