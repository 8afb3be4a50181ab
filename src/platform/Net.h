// The network stack (TCP and TLS connections, the HTTP client, cookies, the adapters' addresses) comes from a module
// of its own: its libraries are loaded at the first network use, so a start that stays offline never maps them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <QtPlugin>
#include <functional>
#include <memory>

/// One TCP connection that can switch to TLS. Its hooks run from the event loop, except that a failure found at once
/// may be reported from inside connectToHost(). Deleting it drops the connection at once and quietly: no hook runs
/// afterwards, also when it is deleted from inside one of its own hooks.
class NetConnection
{
public:
    /// How a connection ended.
    enum class End {
        /// The peer closed it (text: the stack's words for that, or empty for a plain close).
        Closed,
        /// Refused, unreachable, host not found, broken (text says which).
        Failed,
        /// The TLS handshake found the peer's certificate unacceptable (text: the reasons, joined by "; ").
        TlsRefused,
    };

    /// Every member may be left empty.
    struct Hooks
    {
        std::function<void()> connected;
        std::function<void()> readyRead;
        /// TLS is up after startClientEncryption().
        std::function<void()> encrypted;
        /// Runs once, the last hook to run.
        std::function<void(End how, const QString &text)> ended;
    };

    virtual ~NetConnection() = default;

    virtual void connectToHost(const QString &host, quint16 port) = 0;
    virtual void write(const QByteArray &data) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual bool isConnected() const = 0;
    /// Starts TLS over the open connection, the peer verified against peerName and the trusted certificates (only
    /// for a connection made with tls).
    virtual void startClientEncryption(const QString &peerName) = 0;
    /// Hands the connection over to itself: writes last, closes once it is out and then deletes itself (after
    /// timeoutMs at the latest). No hook runs any more; the caller must let go of the pointer (release()).
    virtual void closeAfter(const QByteArray &last, int timeoutMs) = 0;
};

/// One GET through the stack's HTTP client: http and https, redirects followed to http or https only and at most
/// five, no proxy, no cache. Deleting it abandons the transfer quietly, also from inside one of its hooks.
class NetDownload
{
public:
    struct Hooks
    {
        /// Part of the body.
        std::function<void(const QByteArray &chunk)> received;
        /// The end: the rest of the body, and failure (empty when the whole answer came with a 2xx status).
        std::function<void(const QByteArray &rest, const QString &failure)> finished;
    };
    virtual ~NetDownload() = default;
};

/// The cookies of one client, kept by the rules browsers follow (domain, path, expiry).
class NetCookieJar
{
public:
    virtual ~NetCookieJar() = default;
    /// "a=1; b=2" for the cookies that apply to url, or empty.
    virtual QByteArray header(const QUrl &url) const = 0;
    /// Keeps the cookies of the Set-Cookie values an answer from url carried.
    virtual void store(const QList<QByteArray> &setCookieValues, const QUrl &url) = 0;
};

/// One network adapter as the system lists it.
struct NetAdapter
{
    bool loopback = false;
    /// As the system writes it ("00:1a:2b:3c:4d:5e"), or empty.
    QString hardwareAddress;
};

/// What the network module offers.
class NetFactory
{
public:
    virtual ~NetFactory() = default;
    /// A connection not yet connected. tls: it may switch to TLS later (otherwise the TLS library is not touched);
    /// extraCaPem: certificates trusted beside the system's ones then (PEM, may be empty).
    virtual std::unique_ptr<NetConnection> createConnection(NetConnection::Hooks hooks, bool tls = false,
                                                            const QByteArray &extraCaPem = {})
        = 0;
    /// Whether TLS can be used at all (the TLS library was found).
    virtual bool supportsTls() = 0;
    /// Starts a GET of url at once.
    virtual std::unique_ptr<NetDownload> download(const QUrl &url, NetDownload::Hooks hooks) = 0;
    virtual std::unique_ptr<NetCookieJar> createCookieJar() = 0;
    /// This computer's adapters, asked afresh.
    virtual QList<NetAdapter> adapters() = 0;
};

#define VeltraneNetFactory_iid "org.veltrane.NetFactory/1"
Q_DECLARE_INTERFACE(NetFactory, VeltraneNetFactory_iid)

namespace NetModule {
/// The module's file name in the program folder.
inline constexpr const char *FileName = "VeltraneNet.so";
/// What a network use reports when there is no network stack.
inline constexpr const char *Missing = "The network module could not be loaded";
/// The stack: the one given to use(), else the module of the program folder, loaded at the first call; nothing when
/// it cannot be loaded (the reason is logged once, and every network use then fails as a network failure does).
NetFactory *factory();
/// The stack of the module file at path, or nothing (error, when given, says why).
NetFactory *load(const QString &path, QString *error = nullptr);
/// From now on factory() answers factory (a stack linked in, or nothing to stand for a module that is missing).
void use(NetFactory *factory);
/// Whether factory() has been answered yet: the module is loaded, or known to be missing.
bool isResolved();
} // namespace NetModule
