#include "app/PromptsDialog.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

int showBox(QMessageBox::Icon icon, const QString &title, const QString &text, bool yesNo)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    if (yesNo) {
        box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        box.setDefaultButton(box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole));
    } else {
        box.addButton(QStringLiteral("ОК"), QMessageBox::AcceptRole);
    }
    box.exec();
    auto *clicked = box.clickedButton();
    return clicked ? box.buttonRole(clicked) : QMessageBox::NoRole;
}

} // namespace

bool PromptsDialog::question(const QString &text)
{
    return showBox(QMessageBox::Question, QStringLiteral("Вопрос"), text, true) == QMessageBox::YesRole;
}

bool PromptsDialog::titledQuestion(const QString &title, const QString &text)
{
    return showBox(QMessageBox::Question, title, text, true) == QMessageBox::YesRole;
}

void PromptsDialog::information(const QString &title, const QString &text)
{
    showBox(QMessageBox::Information, title, text, false);
}

void PromptsDialog::error(const QString &title, const QString &text)
{
    showBox(QMessageBox::Critical, title, text, false);
}
