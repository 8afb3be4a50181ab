#include "online/HttpCookies.h"

#include "platform/Net.h"

HttpCookies::HttpCookies() = default;

HttpCookies::~HttpCookies() = default;

QByteArray HttpCookies::header(const QUrl &url) const
{
    return m_jar ? m_jar->header(url) : QByteArray();
}

void HttpCookies::store(const HttpResponse &response, const QUrl &url)
{
    const QList<QByteArray> values = response.headerValues("Set-Cookie");
    if (values.isEmpty())
        return;
    if (!m_jar) {
        // Without the network stack no answer arrives to carry a cookie: nothing to keep then.
        if (NetFactory *factory = NetModule::factory())
            m_jar = factory->createCookieJar();
    }
    if (m_jar)
        m_jar->store(values, url);
}
