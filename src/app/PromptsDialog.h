// The real Prompts: message boxes above all windows, without an owner, with Russian button captions.
#pragma once

#include "platform/Prompts.h"

class PromptsDialog : public Prompts
{
public:
    bool question(const QString &text) override;
    bool titledQuestion(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;
    void error(const QString &title, const QString &text) override;
};
