// Puts language texts on the named objects of a window and reads their current captions back for a save.
#pragma once

#include <QString>

class LanguageTexts;
class QObject;

/// Works through QObject names and properties only, so it needs no widget code: an object named like a
/// key's object (QAction "N1", QLabel "Label12", QCheckBox "Day3", QGroupBox "GroupBox1", QMenu "N21") gets
/// the text in its "text" property, or in "title" when it has no "text" (group boxes, menus); the object "."
/// is the window itself and takes "windowTitle". Objects that do not exist (yet) are skipped silently.
class CaptionBinder
{
public:
    /// Sets every text that has an object on each object of that name under root (root included).
    static void apply(const LanguageTexts &texts, QObject *root);
    /// The same for a part of a window made after the window's texts were applied (a panel made at its first
    /// need): every named object under part, part included, but never the window's own caption.
    static void applyToPart(const LanguageTexts &texts, QObject *part);
    /// Copies the current caption of every object whose text a save takes from the control into texts.
    static void collect(LanguageTexts &texts, const QObject *root);

    /// The caption property an object would use ("text", "title" or, for the window, "windowTitle"); empty
    /// when it has none.
    static const char *captionProperty(const QObject *object, bool isRoot);

private:
    static void applyUnder(const LanguageTexts &texts, QObject *root, bool withWindowCaption);
};
