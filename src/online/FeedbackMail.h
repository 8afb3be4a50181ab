// The feedback mail of the About window: what the user typed is checked, then turned into one plain-text mail.
#pragma once

#include "online/SmtpMail.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace FeedbackMail {

/// What is wrong with the form, in the order the checks run.
enum class InputProblem {
    None,
    /// The address field is empty once blanks are trimmed.
    NoAddress,
    /// The address, taken as typed, fails isPlausibleMailAddress.
    ImplausibleAddress,
    /// The message is empty once blanks and line breaks are trimmed.
    NoMessage,
};

InputProblem checkInput(const QString &address, const QString &message);
/// The About texts' key of the problem's message: SendMSG9, SendMSG10, SendMSG11; empty for None.
QString problemTextKey(InputProblem problem);

/// Where the mail goes and through which account.
struct Route
{
    SmtpServer server;
    QString mailTo;
    /// The account's own address; without an account, the recipient's.
    QString sender() const { return server.user.isEmpty() ? mailTo : server.user; }
};

/// "Veltrane. ID:" followed directly by the machine id.
QString subject(const QString &machineId);
/// The message's lines (split at CR, LF and CRLF; a final line break ends the last line and adds none),
/// two empty lines, then the reply address on a line of its own.
QStringList bodyLines(const QString &message, const QString &address);

/// A plain-text UTF-8 mail (base64 body, the subject as an encoded word when it is not plain ASCII) with
/// From, To, Subject, Date, MIME headers and X-Mailer, in the envelope of route.
SmtpEnvelope compose(const Route &route, const QString &subject, const QStringList &bodyLines, const QString &mailer,
                     const QDateTime &date);

/// "ERROR: " and the reason, on one line.
QString errorLine(const QString &error);

} // namespace FeedbackMail
