// Questions and messages to the user: on-top boxes without an owner, with Russian buttons.
#pragma once

#include <QString>

class Prompts
{
public:
    virtual ~Prompts() = default;
    /// A question titled "Вопрос" with "Да" and "Нет"; true for "Да".
    virtual bool question(const QString &text) = 0;
    /// The same question under a title of its own.
    virtual bool titledQuestion(const QString &title, const QString &text) = 0;
    /// An information box with "ОК".
    virtual void information(const QString &title, const QString &text) = 0;
    /// An error box with "ОК" (the program's failures, titled "Veltrane").
    virtual void error(const QString &title, const QString &text) = 0;
};
