// Reading only regular files without blocking, and replacing files so that a failure keeps the old one.
#include "files/SafeFile.h"
#include "platform/Failure.h"

#include "TempAppDir.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Kind { Missing, Regular, Directory, Fifo, DanglingLink, LinkToFile, TooLarge };

void make(const TempAppDir &dir, const QString &name, Kind kind)
{
    const QByteArray path = QFile::encodeName(dir.path(name));
    switch (kind) {
    case Kind::Missing: break;
    case Kind::Regular: QVERIFY(dir.write(name, "old content")); break;
    case Kind::Directory: QVERIFY(QDir(dir.appDir()).mkdir(name)); break;
    case Kind::Fifo: QCOMPARE(::mkfifo(path.constData(), 0600), 0); break;
    case Kind::DanglingLink: QCOMPARE(::symlink("/nonexistent/target", path.constData()), 0); break;
    case Kind::LinkToFile:
        QVERIFY(dir.write(QStringLiteral("elsewhere"), "old content"));
        QCOMPARE(::symlink(QFile::encodeName(dir.path(QStringLiteral("elsewhere"))).constData(), path.constData()), 0);
        break;
    case Kind::TooLarge: QVERIFY(dir.write(name, QByteArray(101, 'x'))); break;
    }
}

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void failedWriteKeepsTheOldFile();
    void writeKeepsPermissions();
    void createNew_data();
    void createNew();
};

void TestSafeFile::read_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("outcome"); // "missing", "content" or the failure's text after the path
    QTest::newRow("missing") << Kind::Missing << QStringLiteral("missing");
    QTest::newRow("regular") << Kind::Regular << QStringLiteral("content");
    QTest::newRow("directory") << Kind::Directory << QStringLiteral(" is not a regular file");
    QTest::newRow("fifo, without blocking") << Kind::Fifo << QStringLiteral(" is not a regular file");
    QTest::newRow("dangling link") << Kind::DanglingLink << QStringLiteral(" is not a regular file");
    QTest::newRow("link to a file") << Kind::LinkToFile << QStringLiteral(" is not a regular file");
    QTest::newRow("over the limit") << Kind::TooLarge << QStringLiteral(" is larger than 100 bytes");
}

void TestSafeFile::read()
{
    QFETCH(Kind, kind);
    QFETCH(QString, outcome);
    TempAppDir dir;
    const QString name = QStringLiteral("note1.rtf");
    make(dir, name, kind);
    const QString path = dir.path(name);
    try {
        const std::optional<QByteArray> bytes = SafeFile::read(path, 100);
        QCOMPARE(bytes ? QStringLiteral("content") : QStringLiteral("missing"), outcome);
        if (bytes)
            QCOMPARE(*bytes, QByteArray("old content"));
    } catch (const Failure &f) {
        QCOMPARE(f.text(), outcome.startsWith(QLatin1Char(' ')) ? path + outcome : outcome);
    }
}

void TestSafeFile::write_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new file") << Kind::Missing << true;
    QTest::newRow("regular file") << Kind::Regular << true;
    QTest::newRow("directory") << Kind::Directory << false;
    QTest::newRow("fifo") << Kind::Fifo << false;
    QTest::newRow("dangling link") << Kind::DanglingLink << false;
    QTest::newRow("link to a file outside") << Kind::LinkToFile << false;
}

void TestSafeFile::write()
{
    QFETCH(Kind, kind);
    QFETCH(bool, replaced);
    TempAppDir dir;
    const QString name = QStringLiteral("note2.rtf");
    make(dir, name, kind);
    const QString path = dir.path(name);
    const QStringList before
        = QDir(dir.appDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    bool raised = false;
    try {
        SafeFile::write(path, "new content");
    } catch (const Failure &f) {
        raised = true;
        QCOMPARE(f.text(), QStringLiteral("Unable to write to ") + path);
    }
    QCOMPARE(raised, !replaced);
    if (replaced)
        QCOMPARE(dir.read(name), QByteArray("new content"));
    if (kind == Kind::LinkToFile)
        QCOMPARE(dir.read(QStringLiteral("elsewhere")), QByteArray("old content"));
    // No temporary file is left behind, whatever happened.
    QStringList after
        = QDir(dir.appDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (kind == Kind::Missing)
        after.removeOne(name);
    QCOMPARE(after, before);
}

void TestSafeFile::failedWriteKeepsTheOldFile()
{
    TempAppDir dir;
    const QString path = dir.path(QStringLiteral("note3.rtf"));
    const QByteArray before(4000, 'a');
    QVERIFY(dir.write(QStringLiteral("note3.rtf"), before));

    // No file may grow past 100 bytes: the new content cannot be written in full, as on a full disk.
    rlimit saved = {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        SafeFile::write(path, QByteArray(5000, 'b'));
    } catch (const Failure &f) {
        raised = f.text() == QStringLiteral("Unable to write to ") + path;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(raised);
    QCOMPARE(dir.read(QStringLiteral("note3.rtf")), before);
    QCOMPARE(QDir(dir.appDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("note3.rtf")});
}

void TestSafeFile::writeKeepsPermissions()
{
    TempAppDir dir;
    const QString path = dir.path(QStringLiteral("veltrane.ini"));
    QVERIFY(dir.write(QStringLiteral("veltrane.ini"), "old"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    SafeFile::write(path, "new");
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, 0640u);
}

void TestSafeFile::createNew_data()
{
    QTest::addColumn<Kind>("there");
    QTest::addColumn<bool>("fillFails");
    QTest::addColumn<bool>("appearsMeanwhile");
    QTest::addColumn<bool>("made");

    QTest::newRow("nothing there") << Kind::Missing << false << false << true;
    QTest::newRow("a file there") << Kind::Regular << false << false << false;
    QTest::newRow("a dangling link there") << Kind::DanglingLink << false << false << false;
    QTest::newRow("a directory there") << Kind::Directory << false << false << false;
    QTest::newRow("the filling fails") << Kind::Missing << true << false << false;
    QTest::newRow("a file comes meanwhile") << Kind::Missing << false << true << false;
}

void TestSafeFile::createNew()
{
    QFETCH(Kind, there);
    QFETCH(bool, fillFails);
    QFETCH(bool, appearsMeanwhile);
    QFETCH(bool, made);
    TempAppDir dir;
    const QString name = QStringLiteral("phone.cds");
    const QString path = dir.path(name);
    make(dir, name, there);
    const QStringList before = QDir(dir.appDir()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);

    QString filled;
    bool failed = false;
    try {
        SafeFile::createNew(path, [&](const QString &temporary) {
            filled = temporary;
            // An empty regular file beside the new one, to be written through its name.
            QVERIFY(SafeFile::isRegularFile(temporary));
            QCOMPARE(QFileInfo(temporary).absolutePath(), QFileInfo(path).absolutePath());
            QFile f(temporary);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("new table") == 9);
            f.close();
            if (appearsMeanwhile)
                QVERIFY(dir.write(name, "the user's"));
            if (fillFails)
                throw Failure(QStringLiteral("filling failed"));
        });
    } catch (const Failure &f) {
        failed = true;
        QCOMPARE(f.text(), fillFails ? QStringLiteral("filling failed") : QStringLiteral("Unable to write to ") + path);
    }
    QCOMPARE(failed, !made);
    // Nothing of the temporary file is left, and whatever stood at the name stands as it was.
    QVERIFY(filled.isEmpty() || !SafeFile::exists(filled));
    if (made) {
        QCOMPARE(dir.read(name), QByteArray("new table"));
        struct stat st = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        const mode_t mask = ::umask(022);
        ::umask(mask);
        QCOMPARE(st.st_mode & 07777, 0666u & ~mask);
    } else if (appearsMeanwhile || there == Kind::Regular) {
        QCOMPARE(dir.read(name), appearsMeanwhile ? QByteArray("the user's") : QByteArray("old content"));
    } else {
        QCOMPARE(QDir(dir.appDir()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), before);
    }
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safefile.moc"
