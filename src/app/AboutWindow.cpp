#include "app/AboutWindow.h"

#include "i18n/CaptionBinder.h"
#include "i18n/LanguageFiles.h"
#include "platform/NetState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

AboutWindow::AboutWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));

    auto *title = new QLabel(QStringLiteral("Veltrane"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);

    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("Version"));

    m_emailLabel = new QLabel(this);
    m_emailLabel->setObjectName(QStringLiteral("LabeledEdit2Label"));
    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("LabeledEdit2"));
    m_emailLabel->setBuddy(m_email);

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_message = new QPlainTextEdit(m_group);
    m_message->setObjectName(QStringLiteral("Memo1"));
    m_send = new QPushButton(m_group);
    m_send->setObjectName(QStringLiteral("Button1"));
    auto *groupLayout = new QVBoxLayout(m_group);
    groupLayout->addWidget(m_emailLabel);
    groupLayout->addWidget(m_email);
    groupLayout->addWidget(m_message, 1);
    groupLayout->addWidget(m_send, 0, Qt::AlignRight);

    m_update = new QPushButton(this);
    m_update->setObjectName(QStringLiteral("Button2"));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_update);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_version);
    layout->addWidget(m_group, 1);
    layout->addLayout(buttons);

    // The built-in Russian texts until a language file is loaded.
    CaptionBinder::apply(m_texts, this);
    resize(420, 360);
}

void AboutWindow::loadLang(const QString &appDir, const QString &code, const QString &programVersion)
{
    LanguageFiles::loadAbout(appDir, code, m_texts, this);
    m_version->setText(m_texts.text(QStringLiteral("VersionCaption")) + QLatin1Char(' ') + programVersion);
}

void AboutWindow::saveLang(const QString &appDir, const QString &code)
{
    LanguageFiles::saveAbout(appDir, code, m_texts, this);
}

void AboutWindow::showEvent(QShowEvent *event)
{
    const bool online = m_net && m_net->isOnline();
    m_send->setEnabled(online);
    m_update->setEnabled(online);
    QDialog::showEvent(event);
}
