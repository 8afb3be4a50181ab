// One event of the weekly calendar feed: the seven texts the import reads, as the document gives them.
#pragma once

#include <QList>
#include <QString>

struct FeedEvent
{
    QString title;
    QString country;
    QString date;
    QString time;
    QString impact;
    QString forecast;
    QString previous;

    bool operator==(const FeedEvent &) const = default;
};

using FeedEvents = QList<FeedEvent>;
