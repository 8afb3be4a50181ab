// The four utility hot keys: registered at start and again by the update tick, each starting its utility.
#pragma once

#include "app/SystemUtilities.h"

#include <QObject>

class HotKeyManager;
class Shell;

class UtilityHotKeys : public QObject
{
    Q_OBJECT
public:
    /// `utilities` is looked up later (after the settings); a utility pressed before that starts nothing.
    UtilityHotKeys(HotKeyManager *manager, Shell *shell, const SystemUtilities *utilities, QObject *parent = nullptr);

    /// `AddHotKey` for Ctrl+Alt+C, N, S, M in that order. A combination already held stays held once; one
    /// another program held before is taken as soon as it is free. The update tick calls this every 100 s.
    void addHotKeys();
    /// Starts the program found for the utility (the menu items and the hot keys); nothing when none was
    /// found. The outcome of the start is not examined.
    void start(SystemUtilities::Utility utility);

private:
    /// `HotKeyManager1HotKeyPressed`.
    void onPressed(quint32 value);

    HotKeyManager *m_manager;
    Shell *m_shell;
    const SystemUtilities *m_utilities;
};
