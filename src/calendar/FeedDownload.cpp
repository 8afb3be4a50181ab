#include "calendar/FeedDownload.h"

#include "calendar/FeedReader.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

bool webScheme(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

FeedDownload::FeedDownload(QObject *parent) : QObject(parent), m_maxBytes(FeedReader::MaxBytes)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("no complete answer within %1 ms").arg(m_timeoutMs));
    });
}

FeedDownload::~FeedDownload()
{
    abandon();
}

void FeedDownload::abandon()
{
    m_deadline.stop();
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply.clear();
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_body.clear();
}

void FeedDownload::start(const QUrl &url)
{
    abandon();
    if (!url.isValid() || !webScheme(url) || url.host().isEmpty()) {
        // Reported from the event loop like every other outcome.
        QMetaObject::invokeMethod(
            this,
            [this, text = url.toString()] {
                emit finished({}, QStringLiteral("not a web address: ") + text);
            },
            Qt::QueuedConnection);
        return;
    }
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(this);
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    m_deadline.start(m_timeoutMs);

    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &to) {
        if (webScheme(to))
            emit reply->redirectAllowed();
        else
            finish(QStringLiteral("redirected to ") + to.toString());
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_body += reply->readAll();
        if (m_body.size() > m_maxBytes)
            finish(QStringLiteral("larger than %1 bytes").arg(m_maxBytes));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        m_body += reply->readAll();
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
            finish(QStringLiteral("HTTP status %1 %2")
                       .arg(status.toInt())
                       .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
        else if (reply->error() != QNetworkReply::NoError)
            finish(reply->errorString());
        else if (m_body.size() > m_maxBytes)
            finish(QStringLiteral("larger than %1 bytes").arg(m_maxBytes));
        else
            finish({});
    });
}

void FeedDownload::finish(const QString &failure)
{
    if (m_reply.isNull())
        return;
    const QByteArray body = failure.isEmpty() ? m_body : QByteArray();
    abandon();
    emit finished(body, failure);
}
