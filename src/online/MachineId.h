// `MachineId`: the hardware address of the first network adapter that is not loopback, or "mac not found".
#pragma once

#include <QList>
#include <QString>

namespace MachineId {

/// One adapter as the system lists it.
struct Adapter
{
    bool loopback = false;
    /// As the system writes it ("00:1a:2b:3c:4d:5e"), or empty.
    QString hardwareAddress;
};

inline constexpr const char *NotFound = "mac not found";

/// From the first adapter that is not loopback and has a six-byte hardware address: the bytes as two
/// upper-case hexadecimal digits each, joined by "-" (00-1A-2B-3C-4D-5E). Otherwise "mac not found".
QString fromAdapters(const QList<Adapter> &adapters);

/// The same for this computer's adapters, asked afresh at every call.
QString current();

} // namespace MachineId
