// `MachineId`: the hardware address of the first network adapter that is not loopback, or "mac not found".
#pragma once

#include "platform/Net.h"

#include <QList>
#include <QString>

namespace MachineId {

/// One adapter as the system lists it.
using Adapter = NetAdapter;

inline constexpr const char *NotFound = "mac not found";

/// From the first adapter that is not loopback and has a six-byte hardware address: the bytes as two
/// upper-case hexadecimal digits each, joined by "-" (00-1A-2B-3C-4D-5E). Otherwise "mac not found".
QString fromAdapters(const QList<Adapter> &adapters);

/// The same for this computer's adapters, asked afresh at every call ("mac not found" without the network module).
QString current();

} // namespace MachineId
