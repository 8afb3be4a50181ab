#include "platform/Net.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPluginLoader>

namespace {

struct Resolved
{
    NetFactory *factory = nullptr;
    bool done = false;
};

Resolved &resolved()
{
    static Resolved state;
    return state;
}

} // namespace

NetFactory *NetModule::factory()
{
    Resolved &state = resolved();
    if (!state.done) {
        state.done = true;
        QString error;
        state.factory
            = load(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(FileName), &error);
        if (!state.factory)
            qWarning().noquote() << "Veltrane: no network:" << error;
    }
    return state.factory;
}

NetFactory *NetModule::load(const QString &path, QString *error)
{
    QPluginLoader loader(path);
    // The module stays loaded to the end of the program: its connections may live that long.
    auto *factory = qobject_cast<NetFactory *>(loader.instance());
    if (!factory && error)
        *error = QStringLiteral("%1: %2").arg(path, loader.errorString());
    return factory;
}

void NetModule::use(NetFactory *factory)
{
    resolved() = {factory, true};
}

bool NetModule::isResolved()
{
    return resolved().done;
}
