#include "platform/net/QtNetFactory.h"

#include "platform/net/QtNetConnection.h"
#include "platform/net/QtNetDownload.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkInterface>
#include <QSslSocket>

namespace {

class QtCookieJar : public NetCookieJar
{
public:
    QByteArray header(const QUrl &url) const override
    {
        QList<QByteArray> pairs;
        for (const QNetworkCookie &cookie : m_jar.cookiesForUrl(url))
            pairs << cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
        return pairs.join("; ");
    }

    void store(const QList<QByteArray> &setCookieValues, const QUrl &url) override
    {
        QList<QNetworkCookie> cookies;
        for (const QByteArray &value : setCookieValues)
            cookies += QNetworkCookie::parseCookies(value);
        if (!cookies.isEmpty())
            m_jar.setCookiesFromUrl(cookies, url);
    }

private:
    QNetworkCookieJar m_jar;
};

} // namespace

std::unique_ptr<NetConnection> QtNetFactory::createConnection(NetConnection::Hooks hooks, bool tls,
                                                              const QByteArray &extraCaPem)
{
    return std::make_unique<QtNetConnection>(std::move(hooks), tls, extraCaPem);
}

bool QtNetFactory::supportsTls()
{
    return QSslSocket::supportsSsl();
}

std::unique_ptr<NetDownload> QtNetFactory::download(const QUrl &url, NetDownload::Hooks hooks)
{
    return std::make_unique<QtNetDownload>(url, std::move(hooks));
}

std::unique_ptr<NetCookieJar> QtNetFactory::createCookieJar()
{
    return std::make_unique<QtCookieJar>();
}

QList<NetAdapter> QtNetFactory::adapters()
{
    QList<NetAdapter> adapters;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces)
        adapters.append({i.type() == QNetworkInterface::Loopback || i.flags().testFlag(QNetworkInterface::IsLoopBack),
                         i.hardwareAddress()});
    return adapters;
}
