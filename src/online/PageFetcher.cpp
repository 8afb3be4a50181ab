#include "online/PageFetcher.h"

#include "online/HttpCookies.h"
#include "platform/Failure.h"
#include "platform/NetState.h"

#include <QPointer>
#include <QTimer>

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

PageFetcher::Hop PageFetcher::nextHop(const QUrl &url, const HttpResponse &response, int redirects, QByteArray &method,
                                      QByteArray &body)
{
    const QByteArray location = response.header("Location");
    if (response.status >= 300 && response.status < 400 && !location.isEmpty()) {
        if (redirects == MaxRedirects)
            throw Failure(QStringLiteral("Maximum number of redirects exceeded."));
        // As browsers do: 307 and 308 repeat the POST, the others fetch the new address with GET.
        if (response.status != 307 && response.status != 308) {
            method = "GET";
            body.clear();
        }
        return {true, url.resolved(QUrl::fromEncoded(location)), {}};
    }
    if (response.status >= 300)
        throw Failure(response.statusLine());
    return {false, {}, response.body};
}

static void requireHttp(const QUrl &url)
{
    if (url.scheme() != QLatin1String("http") || url.host().isEmpty())
        throw Failure(QStringLiteral("Unsupported address: ") + url.toString());
}

QByteArray PageFetcher::fetch(QUrl url, const QByteArray &body, HttpTimeouts timeouts)
{
    // Cookies live for this one fetch (its redirect chain) only.
    HttpCookies cookies;
    QByteArray method = "POST";
    QByteArray sentBody = body;
    for (int redirects = 0;; ++redirects) {
        requireHttp(url);
        const QByteArray request = buildRequest(url, method, sentBody, cookies.header(url));
        const HttpResponse response = HttpExchange::run(url.host(), quint16(url.port(80)), request, timeouts);
        cookies.store(response, url);
        Hop hop = nextHop(url, response, redirects, method, sentBody);
        if (!hop.redirect)
            return hop.page;
        url = hop.next;
    }
}

QByteArray PageFetcher::encodeParams(const Params &params)
{
    QByteArray body;
    for (const auto &[name, value] : params) {
        if (!body.isEmpty())
            body += '&';
        body += name.toUtf8() + '=' + value.toUtf8().toPercentEncoding();
    }
    return body;
}

struct PageFetcher::Chain
{
    QUrl url;
    QByteArray method = "POST";
    QByteArray body;
    HttpCookies cookies;
    int redirects = 0;
    std::function<void()> done;
};

void PageFetcher::fetchPageAsync(const QString &url, std::function<void()> done, const Params &params)
{
    auto chain = std::make_shared<Chain>();
    chain->url = QUrl(url);
    chain->body = encodeParams(params);
    chain->done = std::move(done);
    if (!m_net->isOnline()) {
        // Offline nothing is sent; the answer still comes from the event loop, as it does online.
        QTimer::singleShot(0, this, [chain] {
            if (chain->done)
                chain->done();
        });
        return;
    }
    step(chain);
}

void PageFetcher::step(const std::shared_ptr<Chain> &chain)
{
    HttpExchange *exchange = nullptr;
    try {
        requireHttp(chain->url);
        const QByteArray request
            = buildRequest(chain->url, chain->method, chain->body, chain->cookies.header(chain->url));
        exchange = new HttpExchange(chain->url.host(), quint16(chain->url.port(80)), request, m_timeouts, false, this);
    } catch (const Failure &f) {
        exchange = new HttpExchange(f.text(), this);
    }
    connect(exchange, &HttpExchange::finished, this, [this, exchange, chain] {
        exchange->deleteLater();
        if (!exchange->failure().isEmpty()) {
            settle(false, {});
        } else {
            const HttpResponse response = exchange->takeResponse();
            chain->cookies.store(response, chain->url);
            try {
                Hop hop = nextHop(chain->url, response, chain->redirects, chain->method, chain->body);
                if (hop.redirect) {
                    chain->url = hop.next;
                    ++chain->redirects;
                    step(chain);
                    return;
                }
                settle(true, hop.page);
            } catch (const Failure &) {
                settle(false, {});
            }
        }
        if (chain->done)
            chain->done();
    });
    exchange->start();
}

void PageFetcher::settle(bool complete, const QByteArray &page)
{
    if (complete)
        m_lastPage = page;
    // Tested on the kept page too, so the marker keeps asking for attention until a page without it arrives.
    if (m_lastPage.contains("s1_reg="))
        emit registrationMarkerSeen();
}

void PageFetcher::fetchPage(const QString &url, const Params &params)
{
    if (!m_net->isOnline())
        return;

    const QByteArray body = encodeParams(params);
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
    settle(complete, page);
}
