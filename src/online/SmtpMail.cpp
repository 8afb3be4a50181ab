#include "online/SmtpMail.h"

#include <QRegularExpression>
#include <QSysInfo>

namespace {

// An address goes into a command line between angle brackets: nothing in it may end or break that line.
bool isSafeAddress(const QString &address)
{
    if (address.isEmpty() || address.size() > 254)
        return false;
    for (QChar c : address)
        if (c.unicode() < 0x21 || c.unicode() == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>'))
            return false;
    return true;
}

// The AUTH line of EHLO names the methods after "AUTH " or "AUTH=" ("250-AUTH LOGIN PLAIN", "250-AUTH=LOGIN").
bool announcesLogin(const QByteArray &line)
{
    const QByteArray upper = line.trimmed().toUpper();
    if (!upper.startsWith("AUTH ") && !upper.startsWith("AUTH="))
        return false;
    const QList<QByteArray> methods = upper.mid(5).simplified().split(' ');
    return methods.contains("LOGIN");
}

} // namespace

SmtpMail::SmtpMail(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SmtpMail::onTimeout);
}

// Dropping the connection aborts it quietly.
SmtpMail::~SmtpMail() = default;

QByteArray SmtpMail::dataPayload(const QByteArray &content)
{
    QByteArray out;
    out.reserve(content.size() + content.size() / 40 + 8);
    bool lineStart = true;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content.at(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n')
                ++i;
            out += "\r\n";
            lineStart = true;
            continue;
        }
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = false;
    }
    if (!lineStart)
        out += "\r\n";
    out += ".\r\n";
    return out;
}

QString SmtpMail::defaultLocalName()
{
    static const QRegularExpression usable(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,252})$"));
    const QString name = QSysInfo::machineHostName();
    return usable.match(name).hasMatch() ? name : QStringLiteral("localhost");
}

void SmtpMail::send(const SmtpServer &server, const SmtpEnvelope &mail)
{
    if (m_connection)
        finish(false, QStringLiteral("The mail was dropped for a newer one"), false);

    m_server = server;
    m_mail = mail;
    m_reader.reset();
    m_offersStartTls = m_offersLogin = m_encrypted = false;
    if (m_localName.isEmpty())
        m_localName = defaultLocalName();

    QString refusal;
    if (!isSafeAddress(mail.from))
        refusal = QStringLiteral("The sender address \"%1\" cannot be used").arg(mail.from);
    else if (!isSafeAddress(mail.to))
        refusal = QStringLiteral("The recipient address \"%1\" cannot be used").arg(mail.to);
    else if (server.host.isEmpty() || server.port == 0)
        refusal = QStringLiteral("No mail server is set");
    NetFactory *net = refusal.isEmpty() ? NetModule::factory() : nullptr;
    if (refusal.isEmpty() && !net)
        refusal = QString::fromLatin1(NetModule::Missing);
    if (!refusal.isEmpty()) {
        // Reported from the event loop, as every other outcome is.
        QMetaObject::invokeMethod(
            this,
            [this, refusal] {
                emit finished(false, refusal);
            },
            Qt::QueuedConnection);
        return;
    }

    NetConnection::Hooks hooks;
    hooks.connected = [this] {
        onConnected();
    };
    hooks.readyRead = [this] {
        onReadyRead();
    };
    hooks.encrypted = [this] {
        onEncrypted();
    };
    hooks.ended = [this](NetConnection::End how, const QString &text) {
        onEnded(how, text);
    };
    m_connection = net->createConnection(std::move(hooks), true, m_extraCa);

    m_step = Step::Connect;
    m_timer.start(m_connectTimeoutMs);
    m_connection->connectToHost(server.host, server.port);
}

void SmtpMail::onConnected()
{
    expect(Step::Greeting);
}

void SmtpMail::onReadyRead()
{
    if (!m_connection)
        return;
    // During the switch to TLS the socket hands over decrypted data only; nothing is expected before EHLO.
    const QByteArray bytes = m_connection->readAll();
    if (!m_reader.feed(bytes)) {
        finish(false, m_reader.error(), false);
        return;
    }
    while (m_connection && m_reader.hasReply()) {
        const SmtpReplyReader::Reply reply = m_reader.takeReply();
        handleReply(reply);
    }
}

void SmtpMail::handleReply(const SmtpReplyReader::Reply &reply)
{
    const auto refused = [this, &reply] {
        finish(false, reply.summary(), true);
    };
    switch (m_step) {
    case Step::Greeting:
        if (reply.code != 220)
            return refused();
        command(Step::Ehlo, "EHLO " + m_localName.toLatin1());
        return;
    case Step::Ehlo:
        if (reply.code != 250) {
            command(Step::Helo, "HELO " + m_localName.toLatin1());
            return;
        }
        readCapabilities(reply);
        afterGreeting();
        return;
    case Step::Helo:
        if (reply.code != 250)
            return refused();
        afterGreeting();
        return;
    case Step::StartTls:
        if (reply.code != 220)
            return refused();
        // Anything the server sent after its go-ahead would be taken as if it came through TLS: refuse it.
        if (m_reader.hasReply() || m_reader.hasUnreadInput() || m_connection->bytesAvailable() > 0)
            return finish(false, QStringLiteral("The mail server sent data after agreeing to STARTTLS"), false);
        m_step = Step::TlsHandshake;
        m_timer.start(m_replyTimeoutMs);
        m_connection->startClientEncryption(m_server.host);
        return;
    case Step::TlsHandshake:
        return finish(false, QStringLiteral("The mail server sent data during the TLS handshake"), false);
    case Step::EhloAfterTls:
        if (reply.code != 250)
            return refused();
        readCapabilities(reply);
        command(Step::Rset, "RSET");
        return;
    case Step::Rset:
        // The reply to RSET is not checked: it only clears what an earlier session may have left.
        startLogin();
        return;
    case Step::AuthLogin:
        if (reply.code != 334)
            return refused();
        command(Step::AuthUser, m_server.user.toUtf8().toBase64());
        return;
    case Step::AuthUser:
        if (reply.code != 334)
            return refused();
        command(Step::AuthPassword, m_server.password.toUtf8().toBase64());
        return;
    case Step::AuthPassword:
        if (reply.code != 235)
            return refused();
        command(Step::MailFrom, "MAIL FROM:<" + m_mail.from.toUtf8() + '>');
        return;
    case Step::MailFrom:
        if (reply.code != 250)
            return refused();
        command(Step::RcptTo, "RCPT TO:<" + m_mail.to.toUtf8() + '>');
        return;
    case Step::RcptTo:
        if (reply.code != 250 && reply.code != 251)
            return refused();
        command(Step::Data, "DATA");
        return;
    case Step::Data:
        if (reply.code != 354)
            return refused();
        m_step = Step::DataEnd;
        m_timer.start(m_replyTimeoutMs);
        m_connection->write(dataPayload(m_mail.content));
        return;
    case Step::DataEnd:
        if (reply.code != 250)
            return refused();
        finish(true, QString(), true);
        return;
    case Step::Connect:
        return finish(false, QStringLiteral("The mail server spoke before the connection was made"), false);
    }
}

void SmtpMail::readCapabilities(const SmtpReplyReader::Reply &reply)
{
    m_offersStartTls = false;
    m_offersLogin = false;
    // The first line is the server's name; the rest are its extensions.
    for (qsizetype i = 1; i < reply.lines.size(); ++i) {
        const QByteArray line = reply.lines.at(i).trimmed().toUpper();
        if (line == "STARTTLS")
            m_offersStartTls = true;
        if (announcesLogin(line))
            m_offersLogin = true;
    }
}

void SmtpMail::afterGreeting()
{
    if (m_offersStartTls && !m_encrypted) {
        if (!NetModule::factory() || !NetModule::factory()->supportsTls())
            return finish(false, QStringLiteral("The mail server offers TLS, but TLS is not available here"), true);
        command(Step::StartTls, "STARTTLS");
        return;
    }
    command(Step::Rset, "RSET");
}

void SmtpMail::startLogin()
{
    if (!m_server.user.isEmpty() && m_offersLogin) {
        command(Step::AuthLogin, "AUTH LOGIN");
        return;
    }
    command(Step::MailFrom, "MAIL FROM:<" + m_mail.from.toUtf8() + '>');
}

void SmtpMail::onEncrypted()
{
    m_encrypted = true;
    m_reader.reset();
    command(Step::EhloAfterTls, "EHLO " + m_localName.toLatin1());
}

void SmtpMail::command(Step next, const QByteArray &line)
{
    m_connection->write(line + "\r\n");
    expect(next);
}

void SmtpMail::expect(Step next)
{
    m_step = next;
    m_timer.start(m_replyTimeoutMs);
}

void SmtpMail::onEnded(NetConnection::End how, const QString &text)
{
    if (!m_connection)
        return;
    QString why = text;
    if (how == NetConnection::End::TlsRefused)
        why = QStringLiteral("TLS with the mail server failed: %1").arg(text);
    else if (text.isEmpty())
        why = QStringLiteral("The mail server closed the connection");
    finish(false, why, false);
}

void SmtpMail::onTimeout()
{
    if (!m_connection)
        return;
    const QString why
        = m_step == Step::Connect
              ? QStringLiteral("No connection to the mail server %1:%2 within %3 s")
                    .arg(m_server.host)
                    .arg(m_server.port)
                    .arg(m_connectTimeoutMs / 1000.0)
              : QStringLiteral("The mail server did not answer within %1 s").arg(m_replyTimeoutMs / 1000.0);
    finish(false, why, false);
}

void SmtpMail::finish(bool ok, const QString &error, bool sayQuit)
{
    m_timer.stop();
    std::unique_ptr<NetConnection> connection = std::move(m_connection);
    if (connection && sayQuit && connection->isConnected()) {
        // QUIT's reply is not awaited: the connection closes once the line is written, or is dropped.
        connection.release()->closeAfter("QUIT\r\n", 2000);
    }
    // Otherwise it is dropped here, quietly, also from inside its own hook.
    connection.reset();
    m_reader.reset();
    // Reported from the event loop, never from inside the socket's own signal: a receiver may hold a nested loop
    // (a message box) for as long as it likes, and the socket may be closed and deleted meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, ok, error] {
            emit finished(ok, error);
        },
        Qt::QueuedConnection);
}
