#include "store/TableSchemas.h"

#include "files/SafeFile.h"
#include "store/DataSet.h"

namespace TableSchemas {

namespace {

/// Every field defined is one the program reads, so a file must hold each of them to be opened.
void requireDefinedFields(DataSet &ds)
{
    QStringList names;
    for (const FieldDef &f : ds.fieldDefs())
        names << f.name;
    ds.setRequiredFields(names);
}

} // namespace

void defineAlarm(DataSet &ds)
{
    ds.clearFieldDefs();
    ds.addFieldDef(QStringLiteral("id"), FieldType::AutoInc);
    ds.addFieldDef(QStringLiteral("Tip"), FieldType::Integer);
    ds.addFieldDef(QStringLiteral("Data"), FieldType::Date);
    ds.addFieldDef(QStringLiteral("Time"), FieldType::Time);
    ds.addFieldDef(QStringLiteral("Execute"), FieldType::String, 254);
    ds.addFieldDef(QStringLiteral("RepeatHour"), FieldType::Boolean);
    ds.addFieldDef(QStringLiteral("RepeatHourStart"), FieldType::Time);
    ds.addFieldDef(QStringLiteral("RepeatHourEnd"), FieldType::Time);
    ds.addFieldDef(QStringLiteral("Repeat"), FieldType::Boolean);
    ds.addFieldDef(QStringLiteral("RepeatValue"), FieldType::Integer);
    ds.addFieldDef(QStringLiteral("RepeatValueName"), FieldType::Integer);
    for (int d = 1; d <= 7; ++d)
        ds.addFieldDef(QStringLiteral("Day%1").arg(d), FieldType::Boolean);
    ds.clearIndexDefs();
    ds.addIndexDef(QStringLiteral("datatime"), QStringLiteral("Data; Time"));
    ds.setSaveMode(SaveMode::WriteThrough);
    requireDefinedFields(ds);
}

void definePhone(DataSet &ds)
{
    ds.clearFieldDefs();
    ds.addFieldDef(QStringLiteral("Fio"), FieldType::String, 50);
    ds.addFieldDef(QStringLiteral("Work"), FieldType::String, 50);
    ds.addFieldDef(QStringLiteral("PhoneWork"), FieldType::String, 30);
    ds.addFieldDef(QStringLiteral("Phone"), FieldType::String, 30);
    ds.addFieldDef(QStringLiteral("Mobile"), FieldType::String, 30);
    ds.addFieldDef(QStringLiteral("Email"), FieldType::String, 50);
    ds.addFieldDef(QStringLiteral("Info"), FieldType::Memo);
    ds.clearIndexDefs();
    ds.addIndexDef(QStringLiteral("Fio"), QStringLiteral("Fio"), IndexOption::Primary | IndexOption::CaseInsensitive);
    ds.setSaveMode(SaveMode::WriteThrough);
    requireDefinedFields(ds);
}

void defineEconom(DataSet &ds)
{
    ds.clearFieldDefs();
    ds.addFieldDef(QStringLiteral("title"), FieldType::String, 50);
    ds.addFieldDef(QStringLiteral("country"), FieldType::String, 3);
    ds.addFieldDef(QStringLiteral("date"), FieldType::Date);
    ds.addFieldDef(QStringLiteral("time"), FieldType::Time);
    ds.addFieldDef(QStringLiteral("forecast"), FieldType::String, 10);
    ds.addFieldDef(QStringLiteral("previous"), FieldType::String, 10);
    ds.addFieldDef(QStringLiteral("impact"), FieldType::String, 12);
    ds.clearIndexDefs();
    ds.addIndexDef(QStringLiteral("DataTime"), QStringLiteral("date; time"),
                   IndexOption::Primary | IndexOption::Descending | IndexOption::CaseInsensitive);
    ds.setSaveMode(SaveMode::OnClose);
    requireDefinedFields(ds);
}

namespace {

void createWhenMissing(DataSet &ds, const QString &path)
{
    // Anything at all there (a dangling link too) is opened and judged, never replaced or followed.
    if (SafeFile::exists(path))
        return;
    ds.setFileName(path);
    ds.createDataSet();
    ds.close();
}

} // namespace

void openAlarm(DataSet &ds, const QString &appDir)
{
    const QString path = appDir + QStringLiteral("alarm.cds");
    defineAlarm(ds);
    createWhenMissing(ds, path);
    ds.setFileName(path);
    ds.setIndexName(QStringLiteral("datatime"));
    ds.open();
}

void openPhone(DataSet &ds, const QString &appDir)
{
    const QString path = appDir + QStringLiteral("phone.cds");
    definePhone(ds);
    createWhenMissing(ds, path);
    ds.setFileName(path);
    ds.setIndexFieldNames(QStringLiteral("Fio"));
    ds.open();
}

void openEconom(DataSet &ds, const QString &appDir)
{
    const QString path = appDir + QStringLiteral("econom.cds");
    defineEconom(ds);
    createWhenMissing(ds, path);
    ds.setFileName(path);
    // The calendar is always browsed newest first, whatever index an older file carries.
    ds.addIndexDef(QStringLiteral("DataTime"), QStringLiteral("date; time"),
                   IndexOption::Primary | IndexOption::Descending | IndexOption::CaseInsensitive);
    ds.setIndexName(QStringLiteral("DataTime"));
    ds.open();
}

void openAll(DataSet &phone, DataSet &alarm, DataSet &econom, const QString &appDir)
{
    // Every missing file is created before any is opened, so a bad file of one table does not keep the
    // others from existing at the next start.
    definePhone(phone);
    createWhenMissing(phone, appDir + QStringLiteral("phone.cds"));
    defineAlarm(alarm);
    createWhenMissing(alarm, appDir + QStringLiteral("alarm.cds"));
    defineEconom(econom);
    createWhenMissing(econom, appDir + QStringLiteral("econom.cds"));
    openPhone(phone, appDir);
    openAlarm(alarm, appDir);
    openEconom(econom, appDir);
}

} // namespace TableSchemas
