#include "online/HttpGetClient.h"

#include "platform/Failure.h"

#include <QEventLoop>
#include <QPointer>

HttpGetClient::HttpGetClient(const HttpTimeouts &timeouts, QObject *parent) : QObject(parent), m_timeouts(timeouts) {}

QByteArray HttpGetClient::buildRequest(const QUrl &server, const QByteArray &target) const
{
    const QUrl url = HttpExchange::requestUrl(server, target);
    QByteArray request = "GET " + target + " HTTP/1.1\r\n";
    request += "Host: " + HttpExchange::hostHeader(url) + "\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    const QByteArray cookie = m_cookies.header(url);
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    // One connection per request: nothing is pooled between calls.
    request += "Connection: close\r\n\r\n";
    return request;
}

HttpExchange *HttpGetClient::start(const QUrl &server, const QByteArray &target, QObject *parent, Done done)
{
    HttpExchange *exchange = nullptr;
    const QUrl url = HttpExchange::requestUrl(server, target);
    if (server.scheme() != QLatin1String("http") || server.host().isEmpty())
        exchange = new HttpExchange(QStringLiteral("Unsupported address: ") + server.toString(), parent);
    else
        exchange = new HttpExchange(url.host(), quint16(url.port(80)), buildRequest(server, target), m_timeouts, false,
                                    parent);
    connect(exchange, &HttpExchange::finished, exchange,
            [self = QPointer<HttpGetClient>(this), exchange, url, done = std::move(done)] {
                exchange->deleteLater();
                if (!exchange->failure().isEmpty()) {
                    done({}, exchange->failure());
                    return;
                }
                const HttpResponse response = exchange->takeResponse();
                if (self)
                    self->m_cookies.store(response, url);
                if (response.status >= 400 || (response.status >= 300 && response.header("Location").isEmpty()))
                    done({}, response.statusLine());
                else
                    done(response.body, {});
            });
    exchange->start();
    return exchange;
}

QByteArray HttpGetClient::get(const QUrl &server, const QByteArray &target)
{
    QEventLoop loop;
    bool answered = false;
    QByteArray body;
    QString failure;
    QPointer<HttpExchange> exchange
        = start(server, target, nullptr, [&](const QByteArray &answerBody, const QString &answerFailure) {
              answered = true;
              body = answerBody;
              failure = answerFailure;
              loop.quit();
          });
    if (!answered)
        loop.exec();
    if (!answered) {
        // The event loop was told to end from outside (the program is ending).
        delete exchange;
        throw Failure(QStringLiteral("Request cancelled."));
    }
    if (!failure.isEmpty())
        throw Failure(failure);
    return body;
}
