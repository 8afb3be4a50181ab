#include "app/DataBackup.h"

#include "files/SafeFile.h"
#include "platform/Failure.h"
#include "platform/Prompts.h"
#include "store/TableFileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Notes are small; this only keeps a stray huge file from being read into memory whole.
constexpr qint64 kCopyLimit = 256 * 1024 * 1024;

const QString kNoBackupFiles = QStringLiteral("В этом каталоге нет файлов резервной копии!");
const QString kRestoreQuestion = QStringLiteral("Вы действительно хотите восстановить базу из резервной копии?");
const QString kBackupDone = QStringLiteral("Резервное копирование успешно выполнено");
const QString kRestoreDone = QStringLiteral("Данные успешно восстановлены из копии. Старые файлы сохранены в каталоге "
                                            "программы с расширением *.old\nПрограмма будет перезапущена");

// The files a restore keeps beside the program under their set-aside names, in the order they are moved.
const std::pair<const char *, const char *> kSetAside[] = {
    {"alarm.cds", "alarm.old"},     {"phone.cds", "phone.old"},     {"note1.rtf", "note1_old.rtf"},
    {"note2.rtf", "note2_old.rtf"}, {"note3.rtf", "note3_old.rtf"}, {"note4.rtf", "note4_old.rtf"},
};

Failure unableToWrite(const QString &path)
{
    return Failure(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
}

/// A hidden name beside `path` for a file on its way there (".alarm.cds.veltrane-copy").
QString besideName(const QString &path, const char *suffix)
{
    const QFileInfo info(path);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QLatin1String(suffix));
}

bool renameOver(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

/// Copies `source` to `temporary`, which becomes `target` once the caller renames it; checked before the
/// call returns. Failures name `source` or `target`, never the temporary name.
void copyChecked(const QString &source, const QString &temporary, const QString &target)
{
    if (source.endsWith(QLatin1String(".cds"))) {
        TableFileCopy::copy(source, temporary, target);
        return;
    }
    const std::optional<QByteArray> bytes = SafeFile::read(source, kCopyLimit);
    if (!bytes)
        throw Failure(QStringLiteral("%1 does not exist any more").arg(QDir::toNativeSeparators(source)));
    try {
        SafeFile::write(temporary, *bytes);
        // Read back: what is there is what was meant to be there, to the last byte.
        if (SafeFile::read(temporary, kCopyLimit) != bytes)
            throw unableToWrite(target);
    } catch (const Failure &) {
        QFile::remove(temporary);
        throw unableToWrite(target);
    }
}

/// Renames that can all be taken back: whatever a rename replaces is kept under a hidden name until the
/// whole set is committed.
class FileSwap
{
public:
    ~FileSwap() { rollback(); }

    /// Throws Failure naming `to` when the rename cannot be made; nothing of this step is left then.
    void move(const QString &from, const QString &to)
    {
        Step step{from, to, QString()};
        if (SafeFile::exists(to)) {
            step.stash = besideName(to, ".veltrane-stash");
            if (!renameOver(to, step.stash))
                throw unableToWrite(to);
        }
        if (!renameOver(from, to)) {
            if (!step.stash.isEmpty())
                renameOver(step.stash, to);
            throw unableToWrite(to);
        }
        m_done.append(step);
    }

    void commit()
    {
        for (const Step &s : std::as_const(m_done)) {
            if (!s.stash.isEmpty())
                QFile::remove(s.stash);
        }
        m_done.clear();
    }

    void rollback()
    {
        while (!m_done.isEmpty()) {
            const Step s = m_done.takeLast();
            renameOver(s.to, s.from);
            if (!s.stash.isEmpty())
                renameOver(s.stash, s.to);
        }
    }

private:
    struct Step
    {
        QString from, to, stash;
    };
    QList<Step> m_done;
};

} // namespace

const QString DataBackup::backupTitle = QStringLiteral("Выберите каталог куда сохранить файлы");
const QString DataBackup::restoreTitle = QStringLiteral("Выберите каталог откуда восстановить файлы");

DataBackup::DataBackup(Parts parts) : m_parts(std::move(parts)) {}

QStringList DataBackup::dataFiles(const QString &folder)
{
    // Regular files only: a link or a special file of that name is not data of the program.
    const QDir dir(folder);
    const QDir::Filters filters = QDir::Files | QDir::NoSymLinks | QDir::CaseSensitive;
    QStringList names = dir.entryList({QStringLiteral("*.cds")}, filters, QDir::Name);
    names += dir.entryList({QStringLiteral("*.rtf")}, filters, QDir::Name);
    return names;
}

void DataBackup::report(const QStringList &failures)
{
    m_parts.prompts->error(QStringLiteral("Veltrane"), failures.join(QLatin1Char('\n')));
}

void DataBackup::reopenAndReport(const QString &failure)
{
    QStringList failures{failure};
    try {
        m_parts.reopenTables();
    } catch (const Failure &f) {
        failures << f.text();
    }
    report(failures);
}

void DataBackup::backup()
{
    const QString folder = m_parts.chooseFolder(backupTitle, *m_parts.backupDir);
    if (folder.isEmpty())
        return;
    // Copies renamed over the program's own tables would leave the open tables writing to files that are
    // gone: the program folder cannot be its own backup folder.
    if (QFileInfo(folder).canonicalFilePath() == QFileInfo(m_parts.appDir).canonicalFilePath()) {
        report({QStringLiteral("%1 is the program folder; a backup needs a folder of its own")
                    .arg(QDir::toNativeSeparators(folder))});
        return;
    }
    // Every file is tried; the ones that could not be copied are reported together.
    QStringList failures;
    for (const QString &name : dataFiles(m_parts.appDir)) {
        const QString target = QDir(folder).filePath(name);
        const QString temporary = besideName(target, ".veltrane-copy");
        try {
            copyChecked(m_parts.appDir + name, temporary, target);
            if (!renameOver(temporary, target)) {
                QFile::remove(temporary);
                throw unableToWrite(target);
            }
        } catch (const Failure &f) {
            failures << f.text();
        }
    }
    syncFolder(folder);
    *m_parts.backupDir = folder;
    if (!failures.isEmpty()) {
        report(failures);
        return;
    }
    m_parts.prompts->information(QStringLiteral("OK"), kBackupDone);
}

void DataBackup::restore()
{
    const QString folder = m_parts.chooseFolder(restoreTitle, *m_parts.backupDir);
    if (folder.isEmpty())
        return;
    const QDir source(folder);
    if (!SafeFile::isRegularFile(source.filePath(QStringLiteral("alarm.cds")))
        || !SafeFile::isRegularFile(source.filePath(QStringLiteral("phone.cds")))) {
        m_parts.prompts->error(QStringLiteral("Ошибка"), kNoBackupFiles);
        return;
    }
    if (!m_parts.prompts->question(kRestoreQuestion))
        return;

    // First every file of the backup is copied in beside its place and checked; the program's own files
    // are not touched until all of them are there.
    QList<std::pair<QString, QString>> staged; // temporary name, final name
    auto removeStaged = [&staged] {
        for (const auto &s : std::as_const(staged))
            QFile::remove(s.first);
    };
    try {
        for (const QString &name : dataFiles(folder)) {
            const QString target = m_parts.appDir + name;
            const QString temporary = besideName(target, ".veltrane-copy");
            staged.append({temporary, target});
            copyChecked(source.filePath(name), temporary, target);
        }
    } catch (const Failure &f) {
        removeStaged();
        report({f.text()});
        return;
    }
    try {
        m_parts.closeTables();
    } catch (const Failure &f) {
        removeStaged();
        reopenAndReport(f.text());
        return;
    }

    FileSwap swap;
    try {
        for (const auto &[current, old] : kSetAside) {
            if (SafeFile::exists(m_parts.appDir + QLatin1String(current)))
                swap.move(m_parts.appDir + QLatin1String(current), m_parts.appDir + QLatin1String(old));
        }
        for (const auto &[temporary, target] : std::as_const(staged))
            swap.move(temporary, target);
    } catch (const Failure &f) {
        swap.rollback();
        removeStaged();
        syncFolder(m_parts.appDir);
        reopenAndReport(f.text());
        return;
    }
    swap.commit();
    syncFolder(m_parts.appDir);

    *m_parts.backupDir = folder;
    m_parts.prompts->information(QStringLiteral("OK"), kRestoreDone);
    m_parts.restart();
}
