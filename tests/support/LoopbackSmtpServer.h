// A real SMTP server on 127.0.0.1 for tests (tools/smtp_server.py on Debian's python3-aiosmtpd): started with the
// options that shape it, it reports every mail it took as one JSON record.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

class LoopbackSmtpServer
{
public:
    ~LoopbackSmtpServer() { stop(); }

    /// The server's options: --user U --password P, --cert F --key F, --stall COMMAND, --split.
    /// False when it did not come up (the reason is on stderr).
    bool start(const QStringList &options = {});
    void stop();
    quint16 port() const { return m_port; }

    /// The next record ({"event": "mail", ...} or {"event": "login refused"}), or an empty object when none came
    /// within ms.
    QJsonObject nextRecord(int ms = 5000);

    /// Whether the server can run here: Debian's interpreter with aiosmtpd.
    static bool available();

private:
    QByteArray nextLine(int ms);

    QProcess m_process;
    quint16 m_port = 0;
};
