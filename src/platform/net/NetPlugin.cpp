// The network module's entry: the stack on Qt Network.
#include "platform/net/QtNetFactory.h"

class NetPlugin : public QtNetFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VeltraneNetFactory_iid)
};

#include "NetPlugin.moc"
