// Backup and restore of the tables and notes with real files: the round trip, the checks and refusals, and
// failures (a target that cannot be written, a full disk, a damaged table, a rename refused halfway) that
// must be reported and leave the data the program had.
#include "FakeServices.h"
#include "TableQuery.h"
#include "app/DataBackup.h"
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using Snapshot = QMap<QString, QByteArray>;

/// Every file of a folder (hidden ones too) with its bytes; a folder inside shows as "<folder>".
Snapshot snapshot(const QString &folder)
{
    Snapshot files;
    const QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile f(info.filePath());
        files[info.fileName()]
            = info.isDir() ? QByteArray("<folder>") : (f.open(QIODevice::ReadOnly) ? f.readAll() : "");
    }
    return files;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

/// Real table files with these events and contacts, and four notes, as the program leaves them in `dir`.
void makeData(const QString &dir, const QStringList &events, const QStringList &contacts, const QByteArray &notes)
{
    {
        DataSet phone, alarm, econom;
        TableSchemas::openAll(phone, alarm, econom, dir);
    }
    for (const QString &e : events)
        QVERIFY(TableQuery::exec(dir + "alarm.cds", QStringLiteral("INSERT INTO alarm(Execute) VALUES ('%1')").arg(e)));
    for (const QString &c : contacts)
        QVERIFY(TableQuery::exec(dir + "phone.cds", QStringLiteral("INSERT INTO phone(Fio) VALUES ('%1')").arg(c)));
    for (int i = 1; i <= 4; ++i)
        writeFile(dir + QStringLiteral("note%1.rtf").arg(i), notes + QByteArray::number(i));
}

QStringList events(const QString &file)
{
    return TableQuery::rows(file, QStringLiteral("SELECT Execute FROM alarm ORDER BY id"));
}

/// The program folder and what the commands call around them.
struct Fixture
{
    QTemporaryDir appRoot;
    QTemporaryDir folderRoot;
    FakePrompts prompts;
    QString backupDir;
    /// What the folder dialog answers; empty is a cancel.
    QString chosen;
    QStringList calls;
    bool closeFails = false;

    QString appDir() const { return appRoot.path() + '/'; }
    QString folder() const { return folderRoot.path(); }

    DataBackup backup()
    {
        chosen = chosen.isNull() ? folder() : chosen;
        DataBackup::Parts p;
        p.appDir = appDir();
        p.backupDir = &backupDir;
        p.prompts = &prompts;
        p.chooseFolder = [this](const QString &title, const QString &start) {
            calls << QStringLiteral("choose %1 from %2").arg(title, start);
            return chosen;
        };
        p.closeTables = [this] {
            calls << QStringLiteral("close");
            if (closeFails)
                throw Failure(QStringLiteral("Unable to write to econom.cds"));
        };
        p.reopenTables = [this] {
            calls << QStringLiteral("reopen");
        };
        p.restart = [this] {
            calls << QStringLiteral("restart");
        };
        return DataBackup(p);
    }

    QStringList shownKinds() const
    {
        QStringList kinds;
        for (const auto &s : prompts.shown)
            kinds << s.kind;
        return kinds;
    }
};

const QString kRestoreDone = QStringLiteral("Данные успешно восстановлены из копии. Старые файлы сохранены в каталоге "
                                            "программы с расширением *.old\nПрограмма будет перезапущена");

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    void backupThenRestoreBringsTheDataBack()
    {
        Fixture fx;
        makeData(fx.appDir(), {"buy EUR", "sell GBP"}, {"Broker"}, "{\\rtf1 saved }");
        writeFile(fx.appDir() + "veltrane.ini", "[Form]\n");
        fx.backupDir = QStringLiteral("/old/choice");

        fx.backup().backup();
        QCOMPARE(fx.calls, QStringList{"choose Выберите каталог куда сохранить файлы from /old/choice"});
        QCOMPARE(fx.prompts.shown.size(), 1);
        QCOMPARE(fx.prompts.shown[0].title, QStringLiteral("OK"));
        QCOMPARE(fx.prompts.shown[0].text, QStringLiteral("Резервное копирование успешно выполнено"));
        QCOMPARE(fx.backupDir, fx.folder());
        // Tables and notes, nothing else, and no temporary file left behind.
        QCOMPARE(snapshot(fx.folder()).keys(), (QStringList{"alarm.cds", "econom.cds", "note1.rtf", "note2.rtf",
                                                            "note3.rtf", "note4.rtf", "phone.cds"}));
        QCOMPARE(events(fx.folder() + "/alarm.cds"), (QStringList{"buy EUR", "sell GBP"}));
        QCOMPARE(readFile(fx.folder() + "/note2.rtf"), QByteArray("{\\rtf1 saved }2"));

        // Life goes on after the backup: an event more, a note changed, a contact gone.
        QVERIFY(TableQuery::exec(fx.appDir() + "alarm.cds", "INSERT INTO alarm(Execute) VALUES ('later')"));
        QVERIFY(TableQuery::exec(fx.appDir() + "phone.cds", "DELETE FROM phone"));
        writeFile(fx.appDir() + "note1.rtf", "{\\rtf1 newer }");
        const Snapshot before = snapshot(fx.appDir());

        fx.calls.clear();
        fx.prompts.shown.clear();
        fx.backupDir = QStringLiteral("/elsewhere");
        fx.backup().restore();
        QCOMPARE(fx.calls, (QStringList{"choose Выберите каталог откуда восстановить файлы from /elsewhere", "close",
                                        "restart"}));
        QCOMPARE(fx.shownKinds(), (QStringList{"question", "information"}));
        QCOMPARE(fx.prompts.shown[0].text,
                 QStringLiteral("Вы действительно хотите восстановить базу из резервной копии?"));
        QCOMPARE(fx.prompts.shown[1].title, QStringLiteral("OK"));
        QCOMPARE(fx.prompts.shown[1].text, kRestoreDone);
        QCOMPARE(fx.backupDir, fx.folder());

        // The backup's data in place; what was replaced is kept under the set-aside names.
        QCOMPARE(events(fx.appDir() + "alarm.cds"), (QStringList{"buy EUR", "sell GBP"}));
        QCOMPARE(TableQuery::rows(fx.appDir() + "phone.cds", "SELECT Fio FROM phone"), QStringList{"Broker"});
        QCOMPARE(readFile(fx.appDir() + "note1.rtf"), QByteArray("{\\rtf1 saved }1"));
        QCOMPARE(readFile(fx.appDir() + "alarm.old"), before["alarm.cds"]);
        QCOMPARE(readFile(fx.appDir() + "phone.old"), before["phone.cds"]);
        QCOMPARE(readFile(fx.appDir() + "note1_old.rtf"), QByteArray("{\\rtf1 newer }"));
        QCOMPARE(readFile(fx.appDir() + "veltrane.ini"), QByteArray("[Form]\n"));
        const Snapshot after = snapshot(fx.appDir());
        QCOMPARE(after.keys(), (QStringList{"alarm.cds", "alarm.old", "econom.cds", "note1.rtf", "note1_old.rtf",
                                            "note2.rtf", "note2_old.rtf", "note3.rtf", "note3_old.rtf", "note4.rtf",
                                            "note4_old.rtf", "phone.cds", "phone.old", "veltrane.ini"}));

        // A second restore replaces the set-aside files of the first.
        fx.backup().restore();
        QCOMPARE(readFile(fx.appDir() + "note1_old.rtf"), QByteArray("{\\rtf1 saved }1"));
        QCOMPARE(events(fx.appDir() + "alarm.old"), (QStringList{"buy EUR", "sell GBP"}));
        QCOMPARE(snapshot(fx.appDir()).keys(), after.keys());
    }

    void aRestoreWithoutNotesSetsTheNotesAside()
    {
        Fixture fx;
        makeData(fx.appDir(), {"mine"}, {}, "{\\rtf1 mine }");
        makeData(fx.folder() + '/', {"backed up"}, {}, "");
        for (int i = 1; i <= 4; ++i)
            QFile::remove(fx.folder() + QStringLiteral("/note%1.rtf").arg(i));
        fx.backup().restore();
        QVERIFY(fx.calls.contains("restart"));
        QVERIFY(!QFile::exists(fx.appDir() + "note3.rtf")); // the next start creates it empty
        QCOMPARE(readFile(fx.appDir() + "note3_old.rtf"), QByteArray("{\\rtf1 mine }3"));
        QCOMPARE(events(fx.appDir() + "alarm.cds"), QStringList{"backed up"});
    }

    void aCommittedStateIsCopiedWhileAWriteIsUnderWay()
    {
        Fixture fx;
        makeData(fx.appDir(), {"committed"}, {}, "");
        // Another writer (the scheduler of a second copy) has begun a change it has not committed yet.
        sqlite3 *writer = nullptr;
        QCOMPARE(sqlite3_open((fx.appDir() + "alarm.cds").toUtf8().constData(), &writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO alarm(Execute) VALUES ('half done');", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        fx.backup().backup();
        QCOMPARE(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(writer);
        QCOMPARE(fx.shownKinds(), QStringList{"information"});
        QCOMPARE(events(fx.folder() + "/alarm.cds"), QStringList{"committed"});
        QCOMPARE(TableQuery::rows(fx.folder() + "/alarm.cds", "PRAGMA integrity_check"), QStringList{"ok"});
    }

    void cancelsAndRefusalsChangeNothing_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("backup cancelled") << false << true << QString() << true << QStringList();
        QTest::newRow("restore cancelled") << true << true << QString() << true << QStringList();
        QTest::newRow("restore folder without phone.cds")
            << true << false << QStringLiteral("phone.cds") << true << QStringList{"error"};
        QTest::newRow("restore folder without alarm.cds")
            << true << false << QStringLiteral("alarm.cds") << true << QStringList{"error"};
        QTest::newRow("restore answered no") << true << false << QString() << false << QStringList{"question"};
        QTest::newRow("backup into the program folder itself")
            << false << false << QStringLiteral("<program folder>") << true << QStringList{"error"};
    }
    void cancelsAndRefusalsChangeNothing()
    {
        QFETCH(bool, restore);
        QFETCH(bool, cancel);
        QFETCH(QString, missing);
        QFETCH(bool, answer);
        QFETCH(QStringList, shown);
        Fixture fx;
        makeData(fx.appDir(), {"mine"}, {"me"}, "{\\rtf1 mine }");
        makeData(fx.folder() + '/', {"backed up"}, {}, "{\\rtf1 old }");
        const bool intoProgramFolder = missing == "<program folder>";
        if (!missing.isEmpty() && !intoProgramFolder)
            QVERIFY(QFile::remove(fx.folder() + '/' + missing));
        fx.chosen = cancel ? QString("") : intoProgramFolder ? fx.appDir() : fx.folder();
        fx.backupDir = QStringLiteral("/kept");
        fx.prompts.answers = {answer};
        const Snapshot app = snapshot(fx.appDir());
        const Snapshot folder = snapshot(fx.folder());

        restore ? fx.backup().restore() : fx.backup().backup();
        QCOMPARE(fx.shownKinds(), shown);
        if (intoProgramFolder) {
            QVERIFY(fx.prompts.shown[0].text.contains("is the program folder"));
        } else if (!missing.isEmpty()) {
            QCOMPARE(fx.prompts.shown[0].title, QStringLiteral("Ошибка"));
            QCOMPARE(fx.prompts.shown[0].text, QStringLiteral("В этом каталоге нет файлов резервной копии!"));
        }
        QCOMPARE(fx.calls.size(), 1); // the dialog, nothing after it
        QCOMPARE(fx.backupDir, QStringLiteral("/kept"));
        QCOMPARE(snapshot(fx.appDir()), app);
        QCOMPARE(snapshot(fx.folder()), folder);
    }

    void aBackupFileThatCannotBeWrittenIsReportedWithoutSuccess()
    {
        Fixture fx;
        makeData(fx.appDir(), {"mine"}, {"me"}, "{\\rtf1 mine }");
        // An older backup is there; its alarm.cds cannot be replaced (a folder has taken that name).
        makeData(fx.folder() + '/', {"older"}, {"older"}, "{\\rtf1 older }");
        QVERIFY(QFile::remove(fx.folder() + "/alarm.cds"));
        QVERIFY(QDir(fx.folder()).mkpath("alarm.cds/inside"));

        fx.backup().backup();
        QCOMPARE(fx.shownKinds(), QStringList{"error"});
        QCOMPARE(fx.prompts.shown[0].text, "Unable to write to " + fx.folder() + "/alarm.cds");
        // Every other file was still copied, and nothing half-written was left.
        QCOMPARE(TableQuery::rows(fx.folder() + "/phone.cds", "SELECT Fio FROM phone"), QStringList{"me"});
        QCOMPARE(readFile(fx.folder() + "/note4.rtf"), QByteArray("{\\rtf1 mine }4"));
        for (const QString &name : snapshot(fx.folder()).keys())
            QVERIFY2(!name.startsWith('.'), qPrintable(name));
    }

    void aDamagedTableIsReportedNotCopiedAsIfSound()
    {
        Fixture fx;
        makeData(fx.appDir(), {"mine"}, {"me"}, "");
        makeData(fx.folder() + '/', {"older"}, {"older"}, "");
        const QByteArray olderCopy = readFile(fx.folder() + "/phone.cds");
        writeFile(fx.appDir() + "phone.cds", QByteArray("not a table at all").repeated(100));

        fx.backup().backup();
        QCOMPARE(fx.shownKinds(), QStringList{"error"});
        QVERIFY2(fx.prompts.shown[0].text.startsWith("Table file \"" + fx.appDir() + "phone.cds\""),
                 qPrintable(fx.prompts.shown[0].text));
        QCOMPARE(readFile(fx.folder() + "/phone.cds"), olderCopy);
        QCOMPARE(events(fx.folder() + "/alarm.cds"), QStringList{"mine"});

        // A backup with a damaged table is not restored: nothing of the program's is touched.
        Fixture fx2;
        makeData(fx2.appDir(), {"mine"}, {"me"}, "");
        makeData(fx2.folder() + '/', {"older"}, {"older"}, "");
        writeFile(fx2.folder() + "/alarm.cds", QByteArray("SQLite format 3").append(4096, 'x'));
        const Snapshot app = snapshot(fx2.appDir());
        fx2.backup().restore();
        QCOMPARE(fx2.shownKinds(), (QStringList{"question", "error"}));
        QVERIFY(fx2.prompts.shown[1].text.contains(fx2.folder() + "/alarm.cds"));
        QVERIFY(!fx2.calls.contains("close"));
        QCOMPARE(snapshot(fx2.appDir()), app);
    }

    void aRestoreThatCannotFinishPutsEverythingBack()
    {
        Fixture fx;
        makeData(fx.appDir(), {"mine"}, {"me"}, "{\\rtf1 mine }");
        makeData(fx.folder() + '/', {"backed up"}, {"them"}, "{\\rtf1 backed up }");
        // Left by an earlier restore: set-aside files, one of which cannot be moved out of the way.
        writeFile(fx.appDir() + "alarm.old", "earlier");
        writeFile(fx.appDir() + "note2_old.rtf", "earlier");
        QVERIFY(QDir(fx.appDir()).mkpath(".note2_old.rtf.veltrane-stash/inside"));
        const Snapshot before = snapshot(fx.appDir());

        fx.backup().restore();
        QCOMPARE(fx.shownKinds(), (QStringList{"question", "error"}));
        QCOMPARE(fx.prompts.shown[1].text, "Unable to write to " + fx.appDir() + "note2_old.rtf");
        QCOMPARE(fx.calls.mid(1), (QStringList{"close", "reopen"}));
        QCOMPARE(snapshot(fx.appDir()), before);

        // Tables that cannot be closed stop the restore the same way.
        QDir(fx.appDir()).rmpath(".note2_old.rtf.veltrane-stash/inside");
        const Snapshot unblocked = snapshot(fx.appDir());
        fx.calls.clear();
        fx.closeFails = true;
        fx.backup().restore();
        QCOMPARE(fx.calls.mid(1), (QStringList{"close", "reopen"}));
        QCOMPARE(snapshot(fx.appDir()), unblocked);
    }

    void aFullDiskIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QString>("bigFile");
        QTest::newRow("backup, table too big") << false << "alarm.cds";
        QTest::newRow("backup, note too big") << false << "note1.rtf";
        QTest::newRow("restore, table too big") << true << "alarm.cds";
        QTest::newRow("restore, note too big") << true << "note1.rtf";
    }
    void aFullDiskIsReportedAndChangesNothing()
    {
        QFETCH(bool, restore);
        QFETCH(QString, bigFile);
        if (geteuid() != 0)
            QSKIP("a small file system of its own needs root (as in CI)");
        Fixture fx;
        // The side that is written lives on a 256 KB file system seen only by this test.
        const QString small = restore ? fx.appRoot.path() : fx.folder();
        QVERIFY(unshare(CLONE_NEWNS) == 0);
        QVERIFY(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0);
        QVERIFY(mount("tmpfs", small.toUtf8().constData(), "tmpfs", 0, "size=256k") == 0);
        const QString big = (restore ? fx.folder() + '/' : fx.appDir()) + bigFile;
        const QString other = restore ? fx.appDir() : fx.folder() + '/';
        makeData(other, {"small"}, {"small"}, "{\\rtf1 small }");
        makeData(restore ? fx.folder() + '/' : fx.appDir(), {"x"}, {"y"}, "{\\rtf1 }");
        if (bigFile.endsWith(".cds")) {
            QVERIFY(TableQuery::exec(big,
                                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                                     " INSERT INTO alarm(Execute) SELECT printf('%0200d', i) FROM n"));
        } else {
            writeFile(big, QByteArray(600 * 1024, 'r'));
        }
        const Snapshot before = snapshot(small);

        restore ? fx.backup().restore() : fx.backup().backup();
        const QString target = (restore ? fx.appDir() : fx.folder() + '/') + bigFile;
        QVERIFY(fx.shownKinds().contains("error"));
        QVERIFY(!fx.shownKinds().contains("information"));
        const QString report = fx.prompts.shown.last().text;
        QVERIFY2(report.contains("Unable to write to " + target), qPrintable(report));
        if (restore) {
            // Nothing of the program's changed, not even a temporary file is left.
            QCOMPARE(snapshot(small), before);
            QVERIFY(!fx.calls.contains("close") && !fx.calls.contains("restart"));
        } else {
            // The old copy of the file that did not fit is still whole; no temporary file is left.
            QCOMPARE(readFile(target), before[bigFile]);
            for (const QString &name : snapshot(small).keys())
                QVERIFY2(!name.startsWith('.'), qPrintable(name));
        }
        umount2(small.toUtf8().constData(), MNT_DETACH);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
