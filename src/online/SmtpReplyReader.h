// Turns the bytes a mail server sends into whole replies, however the network cuts or joins them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// A reply is one or more lines with the same three-digit code; every line but the last has "-" after the
/// code ("250-SIZE 1000", "250-AUTH LOGIN", "250 HELP"). A line may arrive in pieces and several replies may
/// arrive together. Sizes are bounded: a line, the lines of one reply and the replies waiting to be taken.
class SmtpReplyReader
{
public:
    struct Reply
    {
        int code = 0;
        /// The text of each line after the code and its separator.
        QList<QByteArray> lines;

        /// "250 first line / second line": the code and the lines' text, for an error message.
        QString summary() const;
    };

    static constexpr qsizetype MaxLineLength = 2048;
    static constexpr qsizetype MaxLinesPerReply = 100;
    static constexpr qsizetype MaxPendingReplies = 16;

    /// Takes received bytes. Returns false once the input is malformed or too large; error() then says why
    /// and the reader takes nothing more until reset().
    bool feed(const QByteArray &bytes);

    bool hasReply() const { return !m_replies.isEmpty(); }
    /// The oldest whole reply. Only while hasReply().
    Reply takeReply() { return m_replies.takeFirst(); }

    /// Bytes received that do not yet make a whole reply (a partial line, the first lines of a reply).
    bool hasUnreadInput() const { return !m_buffer.isEmpty() || !m_current.lines.isEmpty(); }

    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    void reset();

private:
    bool takeLine(const QByteArray &line);
    bool fail(const QString &why);

    QByteArray m_buffer;
    Reply m_current;
    QList<Reply> m_replies;
    QString m_error;
};
