#include "online/InstallerDownloadView.h"

#include "platform/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QWidget>

InstallerDownloadView::InstallerDownloadView(WebViewFactory *factory, Prompts *prompts, QObject *parent)
    : QObject(parent), m_factory(factory), m_prompts(prompts), m_chooseFile(&InstallerDownloadView::askWhereToSave)
{}

InstallerDownloadView::~InstallerDownloadView()
{
    delete m_viewWidget.data();
}

QString InstallerDownloadView::askWhereToSave(const QString &suggestedName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QFileDialog::getSaveFileName(nullptr, QStringLiteral("Сохранить как"), QDir(folder).filePath(suggestedName));
}

void InstallerDownloadView::download(const QUrl &url)
{
    m_url = url;
    m_offered = false;
    if (!m_viewWidget) {
        WebViewHooks hooks;
        hooks.chooseDownloadFile = [this](const QString &suggestedName) {
            m_offered = true;
            return m_chooseFile ? m_chooseFile(suggestedName) : QString();
        };
        hooks.downloadFinished
            = [self = QPointer<InstallerDownloadView>(this)](const QString &file, const QString &error) {
                  if (self)
                      self->report(file, error);
              };
        // A page that loads instead of a file: the site has no installer at this address.
        hooks.loadFinished = [this](bool ok) {
            if (!m_offered)
                report({}, ok ? QStringLiteral("сайт ответил страницей, а не файлом")
                              : QStringLiteral("сайт не отдал файл"));
        };
        m_view = m_factory ? m_factory->create(nullptr, std::move(hooks)) : nullptr;
        if (!m_view) {
            report({}, QStringLiteral("встроенный браузер недоступен"));
            return;
        }
        m_viewWidget = m_view->widget();
    }
    m_view->load(url);
}

void InstallerDownloadView::report(const QString &file, const QString &error)
{
    emit finished(file, error);
    if (error.isEmpty())
        m_prompts->information(QStringLiteral("Veltrane"), QStringLiteral("Файл сохранён: %1").arg(file));
    else
        m_prompts->error(QStringLiteral("Veltrane"), QStringLiteral("Не удалось загрузить программу установки %1: %2")
                                                         .arg(file.isEmpty() ? m_url.toString() : file, error));
}
