// The three tables of the program (alarm, phone, econom): their fields, indexes, and the start-up opening.
#pragma once

#include <QString>

class DataSet;

namespace TableSchemas {

/// Fields id, Tip, Data, Time, Execute(254), RepeatHour, RepeatHourStart, RepeatHourEnd, Repeat,
/// RepeatValue, RepeatValueName, Day1..Day7; index "datatime" over "Data; Time". Write-through.
void defineAlarm(DataSet &ds);
/// Fields Fio(50), Work(50), PhoneWork(30), Phone(30), Mobile(30), Email(50), Info(memo);
/// index "Fio" over "Fio", primary and case-insensitive. Write-through.
void definePhone(DataSet &ds);
/// Fields title(50), country(3), date, time, forecast(10), previous(10), impact(12);
/// index "DataTime" over "date; time", primary, descending, case-insensitive. Written when closed.
void defineEconom(DataSet &ds);

/// Opens one table as the program's start-up does: when `appDir` + name + ".cds" is missing the empty
/// table file is created from the definitions; then the file is opened in the table's browsing order
/// ("phone" by field "Fio", "alarm" by index "datatime", "econom" by index "DataTime", which is defined
/// again on the data set first). Throws Failure naming the file when it is not a table file.
void openAlarm(DataSet &ds, const QString &appDir);
void openPhone(DataSet &ds, const QString &appDir);
void openEconom(DataSet &ds, const QString &appDir);

/// The start-up step: for phone, alarm, econom in that order the file is created when missing; then the
/// three are opened in the same order.
void openAll(DataSet &phone, DataSet &alarm, DataSet &econom, const QString &appDir);

} // namespace TableSchemas
