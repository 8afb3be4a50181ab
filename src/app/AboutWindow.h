// The About window ("О программе"): version, the author's mail form and the update button, in the chosen language.
#pragma once

#include "i18n/LanguageTexts.h"
#include "online/FeedbackMail.h"
#include "online/SmtpMail.h"

#include <QDialog>
#include <functional>

class NetState;
class Prompts;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// A fixed black dialog of 327 x 362. Its controls carry the names the language file uses: QLabel "LabeledEdit2Label" with QLineEdit
/// "LabeledEdit2" (the sender's address), QLabel "Version", QGroupBox "GroupBox1" holding QPlainTextEdit
/// "Memo1" and QPushButton "Button1" (send), QPushButton "Button2" (update check), QPushButton "OKButton".
/// The send button mails the form through its own SmtpMail once setMail() has named the route; what the update
/// button does is wired by its owner through the accessor.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    /// `LoadLang`: reads section AboutBox of the code's language file (not created when missing), sets the
    /// captions and the window caption, keeps the SendMSG texts, and sets the Version label to the
    /// VersionCaption text, a blank and programVersion.
    void loadLang(const QString &appDir, const QString &code, const QString &programVersion);
    /// `SaveLang`: writes section AboutBox from the current captions. Throws Failure on a refused write.
    void saveLang(const QString &appDir, const QString &code);

    /// The About texts, including SendMSG1 .. SendMSG11 for the update check and the mail.
    LanguageTexts &texts() { return m_texts; }
    const LanguageTexts &texts() const { return m_texts; }

    /// Asked at every showing: the online buttons (send, update check) are enabled only while online.
    void setNetState(const NetState *net) { m_net = net; }
    /// Every showing centres the window on owner (the main window).
    void setCentredOn(const QWidget *owner) { m_owner = owner; }

    /// `Button1Click` checks the form (errors through prompts, titled SendMSG8), then mails it along route with
    /// the subject made from machineId(), asked at every send. While a mail is under way the send button is
    /// disabled; a failure puts the "ERROR: " line above the message, a success shows SendMSG2 / SendMSG1.
    void setMail(Prompts *prompts, const FeedbackMail::Route &route, std::function<QString()> machineId);
    SmtpMail *mailer() { return &m_mailer; }

    QLineEdit *emailEdit() const { return m_email; }
    QPlainTextEdit *messageEdit() const { return m_message; }
    QPushButton *sendButton() const { return m_send; }
    QPushButton *updateButton() const { return m_update; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sendFeedback();
    void feedbackFinished(bool ok, const QString &error);

    const NetState *m_net = nullptr;
    const QWidget *m_owner = nullptr;
    Prompts *m_prompts = nullptr;
    FeedbackMail::Route m_route;
    std::function<QString()> m_machineId;
    SmtpMail m_mailer;
    QString m_programVersion;
    LanguageTexts m_texts{LanguageTexts::Section::AboutBox};
    QLabel *m_emailLabel;
    QLineEdit *m_email;
    QLabel *m_version;
    QGroupBox *m_group;
    QPlainTextEdit *m_message;
    QPushButton *m_send;
    QPushButton *m_update;
    QPushButton *m_ok;
};
