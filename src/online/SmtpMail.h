// Sends one mail to an SMTP server without ever waiting: connect, greet, switch to TLS when offered, log in,
// hand over the mail, quit. The outcome comes back as one signal.
#pragma once

#include "online/SmtpReplyReader.h"
#include "platform/Net.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

/// The server and the account the mail goes through.
struct SmtpServer
{
    QString host;
    quint16 port = 25;
    /// Empty: no login is tried.
    QString user;
    QString password;
};

/// One mail: the envelope and the whole message (headers, an empty line, the body). Line ends in content may be
/// CRLF, CR or LF; they go out as CRLF, and a line that begins with "." is sent with one more.
struct SmtpEnvelope
{
    QString from;
    QString to;
    QByteArray content;
};

/// The exchange: greeting 220; "EHLO host" (on any reply but 250, "HELO host" → 250); when EHLO offers STARTTLS,
/// "STARTTLS" → 220, TLS with the peer verified, then EHLO again, so that a password never crosses in clear;
/// "RSET" (any reply); when an account is set and the server announces AUTH LOGIN: "AUTH LOGIN" → 334, user in
/// base64 → 334, password in base64 → 235; "MAIL FROM:<from>" → 250; "RCPT TO:<to>" → 250 or 251; "DATA" → 354,
/// the content, "." → 250; then "QUIT" is written and the connection dropped without waiting for its reply.
/// Every wait is bounded: the connection by the connect time-out, each reply by the reply time-out.
class SmtpMail : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultConnectTimeoutMs = 5000;
    static constexpr int DefaultReplyTimeoutMs = 30000;

    explicit SmtpMail(QObject *parent = nullptr);
    ~SmtpMail() override;

    /// Starts the exchange and returns at once; finished() follows exactly once, always from the event loop. A
    /// mail still under way is dropped first and reports its failure before this one's outcome.
    void send(const SmtpServer &server, const SmtpEnvelope &mail);
    bool isBusy() const { return m_connection != nullptr; }

    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    void setReplyTimeoutMs(int ms) { m_replyTimeoutMs = ms; }
    /// The name given in EHLO/HELO; this computer's host name unless set.
    void setLocalName(const QString &name) { m_localName = name; }
    /// Certificates trusted beside the system's ones, in PEM (a test server's own certificate).
    void setExtraCaCertificates(const QByteArray &pem) { m_extraCa = pem; }

    /// The content as it goes out after "DATA": CRLF line ends, leading dots doubled, ending with ".\r\n".
    static QByteArray dataPayload(const QByteArray &content);
    /// This computer's host name when it is a usable EHLO name, otherwise "localhost".
    static QString defaultLocalName();

signals:
    /// ok: the server took the mail. Otherwise error says why (the server's reply, the network's failure or a
    /// time-out).
    void finished(bool ok, const QString &error);

private:
    enum class Step {
        Connect,
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        TlsHandshake,
        EhloAfterTls,
        Rset,
        AuthLogin,
        AuthUser,
        AuthPassword,
        MailFrom,
        RcptTo,
        Data,
        DataEnd,
    };

    void onConnected();
    void onReadyRead();
    void onEncrypted();
    void onEnded(NetConnection::End how, const QString &text);
    void onTimeout();
    void handleReply(const SmtpReplyReader::Reply &reply);
    void readCapabilities(const SmtpReplyReader::Reply &reply);
    void afterGreeting();
    void startLogin();
    void command(Step next, const QByteArray &line);
    void expect(Step next);
    void finish(bool ok, const QString &error, bool sayQuit);

    std::unique_ptr<NetConnection> m_connection;
    SmtpReplyReader m_reader;
    QTimer m_timer;
    Step m_step = Step::Connect;
    SmtpServer m_server;
    SmtpEnvelope m_mail;
    bool m_offersStartTls = false;
    bool m_offersLogin = false;
    bool m_encrypted = false;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    int m_replyTimeoutMs = DefaultReplyTimeoutMs;
    QString m_localName;
    QByteArray m_extraCa;
};
