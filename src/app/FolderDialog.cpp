#include "app/FolderDialog.h"

#include <QDir>
#include <QFileDialog>

QString FolderDialog::choose(const QString &title, const QString &start)
{
    const QString from = !start.isEmpty() && QDir(start).exists() ? start : QDir::homePath();
    const QString chosen = QFileDialog::getExistingDirectory(nullptr, title, from, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return {};
    return QDir::cleanPath(chosen);
}
