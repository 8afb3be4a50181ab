#include "online/FeedbackMail.h"

#include "online/MailAddress.h"

#include <QLocale>
#include <QRegularExpression>

namespace FeedbackMail {

namespace {

bool isPlainHeaderText(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// A header value outside printable ASCII goes as one encoded word, which also keeps line breaks out of it.
QByteArray headerText(const QString &text)
{
    if (isPlainHeaderText(text))
        return text.toLatin1();
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray rfc2822Date(const QDateTime &date)
{
    const int offset = date.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")).toLatin1()
           + (offset < 0 ? '-' : '+') + QByteArray::number(magnitude / 60).rightJustified(2, '0')
           + QByteArray::number(magnitude % 60).rightJustified(2, '0');
}

} // namespace

InputProblem checkInput(const QString &address, const QString &message)
{
    if (address.trimmed().isEmpty())
        return InputProblem::NoAddress;
    if (!isPlausibleMailAddress(address))
        return InputProblem::ImplausibleAddress;
    if (message.trimmed().isEmpty())
        return InputProblem::NoMessage;
    return InputProblem::None;
}

QString problemTextKey(InputProblem problem)
{
    switch (problem) {
    case InputProblem::NoAddress: return QStringLiteral("SendMSG9");
    case InputProblem::ImplausibleAddress: return QStringLiteral("SendMSG10");
    case InputProblem::NoMessage: return QStringLiteral("SendMSG11");
    case InputProblem::None: break;
    }
    return QString();
}

QString subject(const QString &machineId)
{
    return QStringLiteral("Veltrane. ID:") + machineId;
}

QStringList bodyLines(const QString &message, const QString &address)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    if (!message.isEmpty()) {
        lines = message.split(lineBreak);
        if (lines.last().isEmpty())
            lines.removeLast();
    }
    lines << QString() << QString() << address;
    return lines;
}

SmtpEnvelope compose(const Route &route, const QString &subject, const QStringList &bodyLines, const QString &mailer,
                     const QDateTime &date)
{
    SmtpEnvelope mail;
    mail.from = route.sender();
    mail.to = route.mailTo;

    QByteArray text;
    text += "From: <" + mail.from.toUtf8() + ">\r\n";
    text += "To: <" + mail.to.toUtf8() + ">\r\n";
    text += "Subject: " + headerText(subject) + "\r\n";
    text += "Date: " + rfc2822Date(date) + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: base64\r\n";
    text += "X-Mailer: " + headerText(mailer) + "\r\n";
    text += "\r\n";
    const QByteArray body = (bodyLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8().toBase64();
    for (qsizetype i = 0; i < body.size(); i += 76)
        text += body.mid(i, 76) + "\r\n";
    mail.content = text;
    return mail;
}

QString errorLine(const QString &error)
{
    QString reason = error;
    reason.replace(QRegularExpression(QStringLiteral("[\r\n]+")), QStringLiteral(" "));
    return QStringLiteral("ERROR: ") + reason.trimmed();
}

} // namespace FeedbackMail
