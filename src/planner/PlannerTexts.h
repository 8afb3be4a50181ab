// The language texts the planner uses, looked up by key, with their Russian defaults.
#pragma once

#include <QString>
#include <functional>

class PlannerTexts
{
public:
    using Lookup = std::function<QString(const QString &key)>;

    PlannerTexts() = default;
    explicit PlannerTexts(Lookup lookup) : m_lookup(std::move(lookup)) {}

    void setLookup(Lookup lookup) { m_lookup = std::move(lookup); }
    bool hasLookup() const { return bool(m_lookup); }

    /// The text of key from the language, or its default when the language has none.
    QString text(const QString &key) const;

    /// The Russian default of a planner key ("sob1", "Poff5", "Combobox2Items0", "Day3", ...).
    static QString defaultText(const QString &key);

private:
    Lookup m_lookup;
};
