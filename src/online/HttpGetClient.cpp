#include "online/HttpGetClient.h"

#include "platform/Failure.h"

HttpGetClient::HttpGetClient(const HttpTimeouts &timeouts) : m_timeouts(timeouts) {}

QByteArray HttpGetClient::buildRequest(const QUrl &server, const QByteArray &target) const
{
    const QUrl url = HttpExchange::requestUrl(server, target);
    QByteArray request = "GET " + target + " HTTP/1.1\r\n";
    request += "Host: " + HttpExchange::hostHeader(url) + "\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    const QByteArray cookie = HttpExchange::cookieHeader(m_cookies, url);
    if (!cookie.isEmpty())
        request += "Cookie: " + cookie + "\r\n";
    // One connection per request: nothing is pooled between calls.
    request += "Connection: close\r\n\r\n";
    return request;
}

QByteArray HttpGetClient::get(const QUrl &server, const QByteArray &target)
{
    if (server.scheme() != QLatin1String("http") || server.host().isEmpty())
        throw Failure(QStringLiteral("Unsupported address: ") + server.toString());
    const QUrl url = HttpExchange::requestUrl(server, target);
    const HttpResponse response
        = HttpExchange::run(url.host(), quint16(url.port(80)), buildRequest(server, target), m_timeouts);
    HttpExchange::storeCookies(m_cookies, response, url);
    if (response.status >= 400 || (response.status >= 300 && response.header("Location").isEmpty()))
        throw Failure(response.statusLine());
    return response.body;
}
