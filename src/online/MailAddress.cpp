#include "online/MailAddress.h"

namespace {

bool onlyAddressCharacters(QStringView part)
{
    for (QChar c : part) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'-'
                        || u == u'.' || u == u'_';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

bool isPlausibleMailAddress(const QString &text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at < 0)
        return false;
    const QStringView name = QStringView(text).left(at);
    const QStringView domain = QStringView(text).mid(at + 1);
    // Five characters counted with the "@": "b.cd" is the shortest domain that passes.
    if (name.isEmpty() || domain.size() < 4)
        return false;
    const qsizetype dot = domain.indexOf(u'.');
    if (dot < 0 || domain.size() - (dot + 1) < 2)
        return false;
    return onlyAddressCharacters(name) && onlyAddressCharacters(domain);
}
