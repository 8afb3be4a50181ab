// The interface texts of one section of a language file (main window or About window), each with its default.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

class LanguageTexts
{
public:
    enum class Section { Form1, AboutBox };

    /// One text of the section.
    struct Key
    {
        QString key;
        QString defaultText;
        /// Name of the object that shows the text ("N1" for key "mN1", "." for the window itself), empty
        /// when the text is only held for other parts of the program (centre names, messages, list items).
        QString object;
        /// Whether a save writes the object's current caption rather than the held text.
        bool savedFromCaption = false;
    };

    explicit LanguageTexts(Section section);

    Section kind() const { return m_section; }
    /// "Form1" or "AboutBox".
    QString sectionName() const;
    /// Every key of the section in reading order.
    const QList<Key> &keys() const { return *m_keys; }
    /// Every key in the order a save writes it (for Form1 without the write-only keys).
    QStringList writingOrder() const;
    /// Keys a save of section Form1 writes last, whatever the language; nothing reads them.
    static QList<QPair<QString, QString>> writeOnlyKeys();

    /// The held text; the default until read or set. Empty for a key the section does not have.
    QString text(const QString &key) const;
    void setText(const QString &key, const QString &value);
    bool hasKey(const QString &key) const { return m_texts.contains(key); }
    /// Every text back to its default.
    void reset();

    /// Reads every key in reading order; a missing key takes its default, an empty value stays empty.
    void read(const IniFile &file);
    /// Writes every key in writing order (then, for Form1, the write-only keys), each key created or replaced
    /// and every other line left as it was. The file is replaced once for the whole section, so a refused
    /// write (Failure) leaves none of the section's keys changed.
    void write(IniFile &file) const;

private:
    Section m_section;
    const QList<Key> *m_keys;
    QHash<QString, QString> m_texts;
};
