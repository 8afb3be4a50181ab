// `FetchPage`: a browser-like POST to a page of the maker's site, whose answer is kept in `LastPageText`.
#pragma once

#include "online/HttpExchange.h"

#include <QByteArray>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class NetState;

class PageFetcher : public QObject
{
    Q_OBJECT
public:
    using Params = QList<QPair<QString, QString>>;

    /// Redirects followed in a row; one more fails the fetch.
    static constexpr int MaxRedirects = 15;
    /// The fixed Referer every fetch sends.
    static constexpr const char *Referer = "http://www.example.com/";

    explicit PageFetcher(NetState *net, QObject *parent = nullptr);

    /// Posts params (name=value pairs, values URL-encoded; empty for every caller today) to url.
    /// Offline: nothing is sent. A complete response replaces `LastPageText`; any failure (network, time-out,
    /// error status, too many redirects) is swallowed and keeps it. Then, when the kept page holds
    /// "s1_reg=", registrationMarkerSeen() is emitted. Blocks in a nested event loop; each call has its own
    /// connection and cookies, so calls that nest inside each other's waits do not disturb each other.
    void fetchPage(const QString &url, const Params &params = {});

    /// The same fetch without waiting: returns at once, and done runs later from the event loop once
    /// `LastPageText` holds the outcome (offline too, with the page unchanged). Destroying this object cancels
    /// the fetches under way; their done never runs.
    void fetchPageAsync(const QString &url, std::function<void()> done, const Params &params = {});

    /// `LastPageText`: the body of the last complete response, each byte one character (no charset
    /// conversion); empty before the first.
    QString lastPageText() const { return QString::fromLatin1(m_lastPage); }
    QByteArray lastPageBytes() const { return m_lastPage; }

    /// The request for one step of a fetch, as written on the wire.
    static QByteArray buildRequest(const QUrl &url, const QByteArray &method, const QByteArray &body,
                                   const QByteArray &cookie);

    void setTimeouts(const HttpTimeouts &timeouts) { m_timeouts = timeouts; }

signals:
    /// The kept page holds "s1_reg=": the window repaints and its taskbar entry asks for attention once.
    void registrationMarkerSeen();

private:
    struct Chain;
    /// Where a response leaves a fetch: the page, the next address of a redirect, or a failure.
    struct Hop
    {
        bool redirect = false;
        QUrl next;
        QByteArray page;
    };
    /// Throws Failure for an error status or one redirect too many; moves method and body to GET as browsers do.
    static Hop nextHop(const QUrl &url, const HttpResponse &response, int redirects, QByteArray &method,
                       QByteArray &body);
    static QByteArray encodeParams(const Params &params);
    void step(const std::shared_ptr<Chain> &chain);
    /// Keeps a complete page and tests the kept one for the registration marker.
    void settle(bool complete, const QByteArray &page);

    /// Static: the object may be destroyed while a step waits, so nothing of it is touched after the first.
    static QByteArray fetch(QUrl url, const QByteArray &body, HttpTimeouts timeouts);

    NetState *m_net;
    HttpTimeouts m_timeouts;
    QByteArray m_lastPage;
};
