#include "i18n/CaptionBinder.h"

#include "i18n/LanguageTexts.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QVariant>

namespace {

const QString kRoot = QStringLiteral(".");

QList<QObject *> named(QObject *root, const QString &name)
{
    if (name == kRoot)
        return {root};
    QList<QObject *> found;
    if (root->objectName() == name)
        found << root;
    found += root->findChildren<QObject *>(name, Qt::FindChildrenRecursively);
    return found;
}

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
    for (const LanguageTexts::Key &k : texts.keys()) {
        const bool windowCaption = k.object == kRoot;
        if (k.object.isEmpty() || (windowCaption && !withWindowCaption))
            continue;
        for (QObject *object : named(root, k.object)) {
            if (const char *property = captionProperty(object, windowCaption))
                object->setProperty(property, texts.text(k.key));
        }
    }
}

void CaptionBinder::collect(LanguageTexts &texts, const QObject *root)
{
    if (!root)
        return;
    for (const LanguageTexts::Key &k : texts.keys()) {
        if (!k.savedFromCaption)
            continue;
        const QList<QObject *> objects = named(const_cast<QObject *>(root), k.object);
        for (const QObject *object : objects) {
            if (const char *property = captionProperty(object, k.object == kRoot)) {
                texts.setText(k.key, object->property(property).toString());
                break;
            }
        }
    }
}
