// Downloads the weekly calendar feed without making anyone wait: bounded in time and size, http or https.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <memory>

class NetDownload;

/*
 *   FeedDownload download;
 *   connect(&download, &FeedDownload::finished, ...);   // (body, failure): failure empty on success
 *   download.start(QUrl("http://127.0.0.1:8081/ffcal_week_this.xml"));
 *
 * start() returns at once; finished() comes exactly once per start(), from the event loop. The whole
 * exchange (look-up, connect, redirects, body) has `timeoutMs` in all; a body beyond `maxBytes`, an error
 * status, a redirect to anything but http or https, or more than five redirects fail it. No proxy is used. Without
 * the network module it fails as a network failure does.
 */
class FeedDownload : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 10000;

    explicit FeedDownload(QObject *parent = nullptr);
    ~FeedDownload() override;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    void setMaxBytes(qint64 bytes) { m_maxBytes = bytes; }
    bool isRunning() const { return m_transfer != nullptr; }

    /// Starts the GET; a download still running is abandoned first (it reports nothing).
    void start(const QUrl &url);

signals:
    void finished(const QByteArray &body, const QString &failure);

private:
    void finish(const QString &failure);
    void abandon();

    std::unique_ptr<NetDownload> m_transfer;
    QTimer m_deadline;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBytes;
    QByteArray m_body;
};
