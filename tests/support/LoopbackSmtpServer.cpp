#include "LoopbackSmtpServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

namespace {

// Debian's aiosmtpd imports only under Debian's own interpreter.
const QString python = QStringLiteral("/usr/bin/python3");

} // namespace

bool LoopbackSmtpServer::available()
{
    if (!QFile::exists(python))
        return false;
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

bool LoopbackSmtpServer::start(const QStringList &options)
{
    m_process.setProgram(python);
    // The server ends with its standard input, so a test that dies does not leave it behind.
    m_process.setArguments(
        QStringList{QStringLiteral(VELTRANE_SOURCE_DIR "/tools/smtp_server.py"), QStringLiteral("--until-stdin-closes")}
        + options);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    const QByteArray line = nextLine(10000);
    m_port = line.mid(line.lastIndexOf(':') + 1).trimmed().toUShort();
    return line.startsWith("listening on 127.0.0.1:") && m_port > 0;
}

void LoopbackSmtpServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QJsonObject LoopbackSmtpServer::nextRecord(int ms)
{
    return QJsonDocument::fromJson(nextLine(ms)).object();
}

QByteArray LoopbackSmtpServer::nextLine(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < ms)
        if (!m_process.waitForReadyRead(int(ms - clock.elapsed())))
            break;
    return m_process.canReadLine() ? m_process.readLine() : QByteArray();
}
