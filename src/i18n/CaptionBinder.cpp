#include "i18n/CaptionBinder.h"

#include "i18n/LanguageTexts.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QVariant>

namespace {

const QString kRoot = QStringLiteral(".");

// The objects of a tree by name, from one walk of it: a language holds hundreds of names, and a search of the
// whole tree for each would cost the start-up a millisecond and more.
class NameIndex
{
public:
    explicit NameIndex(QObject *root) : m_root(root)
    {
        add(root);
        const QList<QObject *> all = root->findChildren<QObject *>(Qt::FindChildrenRecursively);
        for (QObject *object : all)
            add(object);
    }

    /// The root itself, then its descendants of that name in the order of a search of the tree.
    QList<QObject *> named(const QString &name) const
    {
        if (name == kRoot)
            return {m_root};
        return m_byName.value(name);
    }

private:
    void add(QObject *object)
    {
        if (!object->objectName().isEmpty())
            m_byName[object->objectName()] << object;
    }

    QObject *m_root;
    QHash<QString, QList<QObject *>> m_byName;
};

} // namespace

const char *CaptionBinder::captionProperty(const QObject *object, bool isRoot)
{
    const QMetaObject *meta = object->metaObject();
    for (const char *property : {isRoot ? "windowTitle" : "text", "title"}) {
        if (meta->indexOfProperty(property) >= 0)
            return property;
    }
    return nullptr;
}

void CaptionBinder::apply(const LanguageTexts &texts, QObject *root)
{
    applyUnder(texts, root, true);
}

void CaptionBinder::applyToPart(const LanguageTexts &texts, QObject *part)
{
    applyUnder(texts, part, false);
}

void CaptionBinder::applyUnder(const LanguageTexts &texts, QObject *root, bool withWindowCaption)
{
    if (!root)
        return;
    const NameIndex index(root);
    for (const LanguageTexts::Key &k : texts.keys()) {
        const bool windowCaption = k.object == kRoot;
        if (k.object.isEmpty() || (windowCaption && !withWindowCaption))
            continue;
        for (QObject *object : index.named(k.object)) {
            if (const char *property = captionProperty(object, windowCaption))
                object->setProperty(property, texts.text(k.key));
        }
    }
}

void CaptionBinder::collect(LanguageTexts &texts, const QObject *root)
{
    if (!root)
        return;
    const NameIndex index(const_cast<QObject *>(root));
    for (const LanguageTexts::Key &k : texts.keys()) {
        if (!k.savedFromCaption)
            continue;
        const QList<QObject *> objects = index.named(k.object);
        for (const QObject *object : objects) {
            if (const char *property = captionProperty(object, k.object == kRoot)) {
                texts.setText(k.key, object->property(property).toString());
                break;
            }
        }
    }
}
