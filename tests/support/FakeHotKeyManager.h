// A hot-key manager without a platform: combinations "held by other programs" are refused, presses are simulated.
#pragma once

#include "platform/HotKeyManager.h"

#include <QList>
#include <QSet>

class FakeHotKeyManager : public HotKeyManager
{
public:
    /// Combinations another program holds: grabbing them is refused until they are removed from here.
    QSet<quint32> heldElsewhere;
    /// Every grab and release the manager asked for, in order ("grab 49219", "release 49219").
    QStringList calls;

    ~FakeHotKeyManager() override { removeAllHotKeys(); }

    /// The user pressed the combination somewhere on the desktop.
    void press(quint32 value) { reportPressed(value); }

protected:
    bool grab(quint32 value) override
    {
        calls << QStringLiteral("grab %1").arg(value);
        return !heldElsewhere.contains(value);
    }
    bool release(quint32 value) override
    {
        calls << QStringLiteral("release %1").arg(value);
        return true;
    }
};
