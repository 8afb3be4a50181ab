#include "online/PageFetcher.h"

#include "platform/Failure.h"
#include "platform/NetState.h"

#include <QNetworkCookieJar>
#include <QPointer>

PageFetcher::PageFetcher(NetState *net, QObject *parent) : QObject(parent), m_net(net) {}

QByteArray PageFetcher::buildRequest(const QUrl &url, const QByteArray &method, const QByteArray &body,
                                     const QByteArray &cookie)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();

    // A POST goes out as HTTP/1.0 with keep-alive; the header set is that of a desktop browser.
    QByteArray request = method + ' ' + target + " HTTP/1.0\r\n";
    if (method == "POST") {
        request += "Content-Type: application/x-www-form-urlencoded\r\n";
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    }
    request += "Connection: keep-alive\r\n";
    request += "Host: " + HttpExchange::hostHeader(url) + "\r\n";
    request += "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n";
    request += "Accept-Charset: windows-1251,utf-8;q=0.7,*;q=0.7\r\n";
    request += "Accept-Language: ru,en-us;q=0.7,en;q=0.3\r\n";
    request += QByteArray("Referer: ") + Referer + "\r\n";
    request += "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; ru; rv:1.9.0.10) Gecko/2009042316 "
               "Firefox/3.0.10\r\n";
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    request += "\r\n";
    return request + (method == "POST" ? body : QByteArray());
}

QByteArray PageFetcher::fetch(QUrl url, const QByteArray &body, HttpTimeouts timeouts)
{
    // Cookies live for this one fetch (its redirect chain) only.
    QNetworkCookieJar cookies;
    QByteArray method = "POST";
    QByteArray sentBody = body;
    for (int redirects = 0;; ++redirects) {
        if (url.scheme() != QLatin1String("http") || url.host().isEmpty())
            throw Failure(QStringLiteral("Unsupported address: ") + url.toString());
        const QByteArray request = buildRequest(url, method, sentBody, HttpExchange::cookieHeader(cookies, url));
        const HttpResponse response = HttpExchange::run(url.host(), quint16(url.port(80)), request, timeouts);
        HttpExchange::storeCookies(cookies, response, url);

        const QByteArray location = response.header("Location");
        if (response.status >= 300 && response.status < 400 && !location.isEmpty()) {
            if (redirects == MaxRedirects)
                throw Failure(QStringLiteral("Maximum number of redirects exceeded."));
            url = url.resolved(QUrl::fromEncoded(location));
            // As browsers do: 307 and 308 repeat the POST, the others fetch the new address with GET.
            if (response.status != 307 && response.status != 308) {
                method = "GET";
                sentBody.clear();
            }
            continue;
        }
        if (response.status >= 300)
            throw Failure(response.statusLine());
        return response.body;
    }
}

void PageFetcher::fetchPage(const QString &url, const Params &params)
{
    if (!m_net->isOnline())
        return;

    QByteArray body;
    for (const auto &[name, value] : params) {
        if (!body.isEmpty())
            body += '&';
        body += name.toUtf8() + '=' + value.toUtf8().toPercentEncoding();
    }
    // The wait serves events, and one of them may destroy this object (the window closing).
    const QPointer<PageFetcher> self(this);
    QByteArray page;
    bool complete = false;
    try {
        page = fetch(QUrl(url), body, m_timeouts);
        complete = true;
    } catch (const Failure &) {
        // Online features fail silently: the last good page stays.
    }
    if (!self)
        return;
    if (complete)
        m_lastPage = page;
    // Tested on the kept page too, so the marker keeps asking for attention until a page without it arrives.
    if (m_lastPage.contains("s1_reg="))
        emit registrationMarkerSeen();
}
