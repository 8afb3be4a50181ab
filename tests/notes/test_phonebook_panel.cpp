// The phone-book panel's grid: its one column keeps its width when the table behind it is opened.
#include "notes/PhoneBookPanel.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/TableSchemas.h"

#include "TempAppDir.h"

#include <QTableView>
#include <QtTest>

class TestPhoneBookPanel : public QObject
{
    Q_OBJECT
private slots:
    void gridColumnKeepsItsWidth()
    {
        TempAppDir dir;
        DataSet phone;
        PhoneBookPanel panel;
        DataSetModel model(&phone);
        model.setColumns({QStringLiteral("Fio")});
        panel.grid()->setModel(&model);
        // Opening the table resets the model, and the header makes its column anew.
        TableSchemas::openPhone(phone, dir.appDir());
        QCOMPARE(panel.grid()->columnWidth(0), 216);
    }
};

QTEST_MAIN(TestPhoneBookPanel)
#include "test_phonebook_panel.moc"
