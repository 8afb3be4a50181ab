#include "app/UtilityHotKeys.h"

#include "platform/HotKeyManager.h"
#include "platform/Shell.h"

UtilityHotKeys::UtilityHotKeys(HotKeyManager *manager, Shell *shell, const SystemUtilities *utilities, QObject *parent)
    : QObject(parent), m_manager(manager), m_shell(shell), m_utilities(utilities)
{
    connect(m_manager, &HotKeyManager::hotKeyPressed, this, &UtilityHotKeys::onPressed);
}

void UtilityHotKeys::addHotKeys()
{
    for (SystemUtilities::Utility u : SystemUtilities::all())
        m_manager->addHotKey(SystemUtilities::hotKey(u));
}

void UtilityHotKeys::start(SystemUtilities::Utility utility)
{
    const SystemUtilities::Program program = m_utilities->program(utility);
    if (!program.path.isEmpty())
        m_shell->startProgram(program.path, program.arguments);
}

void UtilityHotKeys::onPressed(quint32 value)
{
    SystemUtilities::Utility utility;
    if (SystemUtilities::ofHotKey(value, &utility))
        start(utility);
}
