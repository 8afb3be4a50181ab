#include "app/AboutWindow.h"

#include "i18n/CaptionBinder.h"
#include "i18n/LanguageFiles.h"
#include "online/MachineId.h"
#include "platform/NetState.h"
#include "platform/Prompts.h"

#include <QDateTime>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

AboutWindow::AboutWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(327, 362);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);
    setAutoFillBackground(true);

    auto *title = new QLabel(QStringLiteral("Veltrane"), this);
    title->setObjectName(QStringLiteral("ProductName"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(32);
    big.setBold(true);
    title->setFont(big);
    title->setStyleSheet(QStringLiteral("color: yellow"));
    title->move(112, 9);
    title->adjustSize();

    auto *emblem = new QLabel(this);
    emblem->setObjectName(QStringLiteral("Image1"));
    emblem->setGeometry(16, 12, 78, 76);
    emblem->setPixmap(QIcon(QStringLiteral(":/veltrane.svg")).pixmap(QSize(76, 76)));
    emblem->setAlignment(Qt::AlignCenter);

    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("Version"));
    m_version->setGeometry(128, 43, 145, 17);
    m_version->setAlignment(Qt::AlignCenter);
    m_version->setStyleSheet(QStringLiteral("color: lime; font-weight: bold"));

    m_update = new QPushButton(this);
    m_update->setObjectName(QStringLiteral("Button2"));
    m_update->setGeometry(128, 67, 145, 25);

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->setGeometry(8, 102, 313, 223);
    m_emailLabel = new QLabel(m_group);
    m_emailLabel->setObjectName(QStringLiteral("LabeledEdit2Label"));
    m_emailLabel->setGeometry(6, 13, 72, 21);
    m_emailLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_email = new QLineEdit(m_group);
    m_email->setObjectName(QStringLiteral("LabeledEdit2"));
    m_email->setGeometry(80, 13, 225, 21);
    m_emailLabel->setBuddy(m_email);
    m_message = new QPlainTextEdit(m_group);
    m_message->setObjectName(QStringLiteral("Memo1"));
    m_message->setGeometry(6, 40, 299, 177);

    m_send = new QPushButton(this);
    m_send->setObjectName(QStringLiteral("Button1"));
    m_send->setGeometry(7, 332, 210, 25);
    m_send->setAutoDefault(false);
    connect(m_send, &QPushButton::clicked, this, &AboutWindow::sendFeedback);
    connect(&m_mailer, &SmtpMail::finished, this, &AboutWindow::feedbackFinished);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setGeometry(220, 332, 102, 25);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    // The built-in Russian texts until a language file is loaded.
    CaptionBinder::apply(m_texts, this);
}

void AboutWindow::loadLang(const QString &appDir, const QString &code, const QString &programVersion)
{
    LanguageFiles::loadAbout(appDir, code, m_texts, this);
    m_programVersion = programVersion;
    m_version->setText(m_texts.text(QStringLiteral("VersionCaption")) + QLatin1Char(' ') + programVersion);
}

void AboutWindow::saveLang(const QString &appDir, const QString &code)
{
    LanguageFiles::saveAbout(appDir, code, m_texts, this);
}

void AboutWindow::showEvent(QShowEvent *event)
{
    const bool online = m_net && m_net->isOnline();
    m_send->setEnabled(online && !m_mailer.isBusy());
    m_update->setEnabled(online);
    if (m_owner) {
        QRect frame = frameGeometry();
        frame.moveCenter(m_owner->frameGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void AboutWindow::setMail(Prompts *prompts, const FeedbackMail::Route &route, std::function<QString()> machineId)
{
    m_prompts = prompts;
    m_route = route;
    m_machineId = std::move(machineId);
}

void AboutWindow::sendFeedback()
{
    if (!m_prompts || m_mailer.isBusy())
        return;
    const QString address = m_email->text();
    const QString message = m_message->toPlainText();
    const FeedbackMail::InputProblem problem = FeedbackMail::checkInput(address, message);
    if (problem != FeedbackMail::InputProblem::None) {
        m_prompts->error(m_texts.text(QStringLiteral("SendMSG8")), m_texts.text(FeedbackMail::problemTextKey(problem)));
        if (problem == FeedbackMail::InputProblem::NoMessage)
            m_message->setFocus();
        else
            m_email->setFocus();
        return;
    }
    const QString id = m_machineId ? m_machineId() : QString::fromLatin1(MachineId::NotFound);
    const SmtpEnvelope mail
        = FeedbackMail::compose(m_route, FeedbackMail::subject(id), FeedbackMail::bodyLines(message, address),
                                QStringLiteral("Veltrane ") + m_programVersion, QDateTime::currentDateTime());
    // A second click would drop the mail under way: the button waits for the outcome.
    m_send->setEnabled(false);
    m_mailer.send(m_route.server, mail);
}

void AboutWindow::feedbackFinished(bool ok, const QString &error)
{
    m_send->setEnabled(true);
    if (ok) {
        m_prompts->information(m_texts.text(QStringLiteral("SendMSG2")), m_texts.text(QStringLiteral("SendMSG1")));
        return;
    }
    // Inserted through a cursor, so whatever the user typed meanwhile stays and the insertion can be undone.
    QTextCursor cursor(m_message->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(FeedbackMail::errorLine(error) + QLatin1Char('\n'));
}
