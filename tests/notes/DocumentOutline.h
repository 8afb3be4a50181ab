// A text outline of a rich-text document for comparisons: one line per paragraph, formats in braces.
#pragma once

#include <QFont>
#include <QHash>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

/*
 * A paragraph reads "*1 =c li=24 fi=-24 text{b,i,u,s,sup,f=Arial,pt=10,fg=#ff0000,bg=#ffff00|formatted}":
 * "*N" for an item of the document's N-th bulleted list, "=c"/"=r"/"=j" for the alignment, margins and
 * first-line indent in pixels, then the runs. Family and size are effective values, shown only where they
 * differ from the document's default font, so "set to the default" and "left to the default" compare equal.
 * In texts a tab shows as \t, a line break as \n and a no-break space as ~.
 */
inline QString outlineAttributes(const QTextCharFormat &f, const QFont &defaultFont)
{
    QStringList a;
    if (f.fontWeight() > QFont::Medium)
        a << QStringLiteral("b");
    if (f.fontItalic())
        a << QStringLiteral("i");
    if (f.fontUnderline())
        a << QStringLiteral("u");
    if (f.fontStrikeOut())
        a << QStringLiteral("s");
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        a << QStringLiteral("sup");
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        a << QStringLiteral("sub");
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && families.first() != defaultFont.family())
        a << QStringLiteral("f=") + families.first();
    const double defaultPoints
        = defaultFont.pointSizeF() > 0 ? defaultFont.pointSizeF() : defaultFont.pixelSize() * 0.75;
    double points = defaultPoints;
    if (f.hasProperty(QTextFormat::FontPointSize))
        points = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize))
        points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (!qFuzzyCompare(points, defaultPoints))
        a << QStringLiteral("pt=") + QString::number(points);
    if (f.foreground().style() != Qt::NoBrush)
        a << QStringLiteral("fg=") + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush)
        a << QStringLiteral("bg=") + f.background().color().name();
    return a.join(QLatin1Char(','));
}

inline QString outlineText(QString s)
{
    s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    s.replace(QChar(0x2028), QLatin1String("\\n"));
    s.replace(QChar(0xA0), QLatin1Char('~'));
    return s;
}

inline QStringList outline(const QTextDocument &doc)
{
    QStringList lines;
    QHash<QTextList *, int> lists;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QString line;
        if (QTextList *list = block.textList()) {
            if (!lists.contains(list))
                lists.insert(list, int(lists.size()) + 1);
            line += QStringLiteral("*%1 ").arg(lists.value(list));
        }
        const QTextBlockFormat bf = block.blockFormat();
        const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            line += QStringLiteral("=c ");
        else if (align & Qt::AlignRight)
            line += QStringLiteral("=r ");
        else if (align & Qt::AlignJustify)
            line += QStringLiteral("=j ");
        if (!block.textList()) {
            if (bf.leftMargin() != 0)
                line += QStringLiteral("li=%1 ").arg(bf.leftMargin());
            if (bf.textIndent() != 0)
                line += QStringLiteral("fi=%1 ").arg(bf.textIndent());
        }
        // Runs of equal attributes, whatever fragments the document keeps them in.
        QString attrs;
        QString text;
        auto flush = [&] {
            if (!text.isEmpty())
                line += attrs.isEmpty() ? outlineText(text) : QStringLiteral("{%1|%2}").arg(attrs, outlineText(text));
            text.clear();
        };
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString a = outlineAttributes(it.fragment().charFormat(), doc.defaultFont());
            if (a != attrs)
                flush();
            attrs = a;
            text += it.fragment().text();
        }
        flush();
        lines << line;
    }
    return lines;
}
