#include "platform/net/QtNetDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

bool webScheme(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

QtNetDownload::QtNetDownload(const QUrl &url, Hooks hooks)
    : m_hooks(std::move(hooks)), m_manager(new QNetworkAccessManager)
{
    m_manager->setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;

    // A hook may delete this object: each runs from a copy, and nothing of this object is touched after it.
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (webScheme(to))
            emit reply->redirectAllowed();
        else
            finish({}, QStringLiteral("redirected to ") + to.toString());
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        const QByteArray chunk = reply->readAll();
        if (auto hook = m_hooks.received)
            hook(chunk);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        const QByteArray rest = reply->readAll();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
            finish(rest, QStringLiteral("HTTP status %1 %2")
                             .arg(status.toInt())
                             .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
        else if (reply->error() != QNetworkReply::NoError)
            finish(rest, reply->errorString());
        else
            finish(rest, {});
    });
}

QtNetDownload::~QtNetDownload()
{
    if (QNetworkReply *reply = m_reply.data()) {
        reply->disconnect(this);
        reply->abort();
    }
    // The reply may be inside one of its own signals now: it goes with its client, from the event loop.
    if (m_manager)
        m_manager->deleteLater();
}

void QtNetDownload::finish(const QByteArray &rest, const QString &failure)
{
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply.clear();
        reply->disconnect(this);
    } else {
        return;
    }
    if (auto hook = m_hooks.finished)
        hook(rest, failure);
}
