// The cookies of one HTTP client: kept from the answers, sent with the requests that they apply to.
#pragma once

#include "online/HttpExchange.h"

#include <QByteArray>
#include <QUrl>
#include <memory>

class NetCookieJar;

class HttpCookies
{
public:
    HttpCookies();
    ~HttpCookies();
    HttpCookies(const HttpCookies &) = delete;
    HttpCookies &operator=(const HttpCookies &) = delete;

    /// "a=1; b=2" for the cookies that apply to url, or empty.
    QByteArray header(const QUrl &url) const;
    /// Keeps the response's Set-Cookie values, the response having come from url.
    void store(const HttpResponse &response, const QUrl &url);

private:
    /// Made at the first cookie: a client that never got one needs no network stack for it.
    std::unique_ptr<NetCookieJar> m_jar;
};
