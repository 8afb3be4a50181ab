#include "calendar/FeedDownload.h"

#include "calendar/FeedReader.h"
#include "platform/Net.h"

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
    // Quietly, and safely from inside the transfer's own hook.
    m_transfer.reset();
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
    NetFactory *net = NetModule::factory();
    if (!net) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit finished({}, QString::fromLatin1(NetModule::Missing));
            },
            Qt::QueuedConnection);
        return;
    }
    NetDownload::Hooks hooks;
    hooks.received = [this](const QByteArray &chunk) {
        m_body += chunk;
        if (m_body.size() > m_maxBytes)
            finish(QStringLiteral("larger than %1 bytes").arg(m_maxBytes));
    };
    hooks.finished = [this](const QByteArray &rest, const QString &failure) {
        m_body += rest;
        if (!failure.isEmpty())
            finish(failure);
        else if (m_body.size() > m_maxBytes)
            finish(QStringLiteral("larger than %1 bytes").arg(m_maxBytes));
        else
            finish({});
    };
    m_transfer = net->download(url, std::move(hooks));
    m_deadline.start(m_timeoutMs);
}

void FeedDownload::finish(const QString &failure)
{
    if (!m_transfer)
        return;
    const QByteArray body = failure.isEmpty() ? m_body : QByteArray();
    abandon();
    emit finished(body, failure);
}
