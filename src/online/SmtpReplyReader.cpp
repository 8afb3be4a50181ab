#include "online/SmtpReplyReader.h"

QString SmtpReplyReader::Reply::summary() const
{
    QStringList texts;
    for (const QByteArray &line : lines)
        if (!line.trimmed().isEmpty())
            texts << QString::fromUtf8(line.trimmed());
    const QString codeText = QString::number(code);
    return texts.isEmpty() ? codeText : codeText + QLatin1Char(' ') + texts.join(QStringLiteral(" / "));
}

bool SmtpReplyReader::feed(const QByteArray &bytes)
{
    if (failed())
        return false;
    m_buffer += bytes;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', start);
        if (end < 0)
            break;
        // A bare LF ends a line as well as CRLF: some servers and test tools send it.
        qsizetype lineEnd = end;
        if (lineEnd > start && m_buffer.at(lineEnd - 1) == '\r')
            --lineEnd;
        if (lineEnd - start > MaxLineLength)
            return fail(QStringLiteral("The mail server sent a reply line longer than %1 bytes").arg(MaxLineLength));
        if (!takeLine(m_buffer.mid(start, lineEnd - start)))
            return false;
        start = end + 1;
    }
    m_buffer.remove(0, start);
    // One byte more than a line may hold: the CR of a line whose LF is still on its way.
    if (m_buffer.size() > MaxLineLength + 1)
        return fail(QStringLiteral("The mail server sent a reply line longer than %1 bytes").arg(MaxLineLength));
    return true;
}

bool SmtpReplyReader::takeLine(const QByteArray &line)
{
    const auto isDigit = [&line](int i) {
        return line.at(i) >= '0' && line.at(i) <= '9';
    };
    if (line.size() < 3 || !isDigit(0) || !isDigit(1) || !isDigit(2)
        || (line.size() > 3 && line.at(3) != ' ' && line.at(3) != '-'))
        return fail(QStringLiteral("The mail server sent a malformed reply: %1").arg(QString::fromUtf8(line.left(80))));
    const int code = line.left(3).toInt();
    if (!m_current.lines.isEmpty() && code != m_current.code)
        return fail(QStringLiteral("The mail server changed the reply code inside one reply (%1, then %2)")
                        .arg(m_current.code)
                        .arg(code));
    if (m_current.lines.size() >= MaxLinesPerReply)
        return fail(QStringLiteral("The mail server sent a reply of more than %1 lines").arg(MaxLinesPerReply));
    m_current.code = code;
    m_current.lines << line.mid(4);
    const bool last = line.size() == 3 || line.at(3) == ' ';
    if (!last)
        return true;
    if (m_replies.size() >= MaxPendingReplies)
        return fail(QStringLiteral("The mail server sent replies nobody asked for"));
    m_replies << m_current;
    m_current = Reply();
    return true;
}

bool SmtpReplyReader::fail(const QString &why)
{
    m_error = why;
    m_buffer.clear();
    m_current = Reply();
    return false;
}

void SmtpReplyReader::reset()
{
    m_buffer.clear();
    m_current = Reply();
    m_replies.clear();
    m_error.clear();
}
