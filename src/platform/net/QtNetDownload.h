// One GET through Qt's HTTP client.
#pragma once

#include "platform/Net.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

class QtNetDownload : public QObject, public NetDownload
{
    Q_OBJECT
public:
    QtNetDownload(const QUrl &url, Hooks hooks);
    ~QtNetDownload() override;

private:
    void finish(const QByteArray &rest, const QString &failure);

    Hooks m_hooks;
    /// One client per download: the feed is fetched once or twice a run, and nothing is kept between.
    QPointer<QNetworkAccessManager> m_manager;
    QPointer<QNetworkReply> m_reply;
};
