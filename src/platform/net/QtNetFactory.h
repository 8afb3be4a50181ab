// The network stack on Qt Network: what the network module hands out, and what tests link in directly.
#pragma once

#include "platform/Net.h"

#include <QObject>

class QtNetFactory : public QObject, public NetFactory
{
    Q_OBJECT
    Q_INTERFACES(NetFactory)
public:
    std::unique_ptr<NetConnection> createConnection(NetConnection::Hooks hooks, bool tls,
                                                    const QByteArray &extraCaPem) override;
    bool supportsTls() override;
    std::unique_ptr<NetDownload> download(const QUrl &url, NetDownload::Hooks hooks) override;
    std::unique_ptr<NetCookieJar> createCookieJar() override;
    QList<NetAdapter> adapters() override;
};
