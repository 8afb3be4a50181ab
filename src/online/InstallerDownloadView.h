// `WebBrowser2`: the hidden view that downloads the installer. The user chooses where the file goes; a download
// that fails says so, naming the file.
#pragma once

#include "online/WebView.h"

#include <QObject>
#include <QPointer>
#include <functional>

class Prompts;
class QWidget;

class InstallerDownloadView : public QObject
{
    Q_OBJECT
public:
    /// Asks where to save a file offered under a name; empty: not saved.
    using ChooseFile = std::function<QString(const QString &suggestedName)>;

    InstallerDownloadView(WebViewFactory *factory, Prompts *prompts, QObject *parent = nullptr);
    ~InstallerDownloadView() override;

    /// The save dialog by default.
    void setChooseFile(ChooseFile choose) { m_chooseFile = std::move(choose); }

    /// Loads the address in the hidden view (made now if there is none); the file it leads to is offered for
    /// saving. Without a browser engine, or when the site answers with a page instead of a file, an error box
    /// says that the installer could not be downloaded.
    void download(const QUrl &url);

    /// The save dialog: a file name in the user's download folder (home when there is none).
    static QString askWhereToSave(const QString &suggestedName);

signals:
    /// A download ended: error empty when the whole file is in place.
    void finished(const QString &file, const QString &error);

private:
    void report(const QString &file, const QString &error);

    WebViewFactory *m_factory;
    Prompts *m_prompts;
    ChooseFile m_chooseFile;
    WebView *m_view = nullptr;
    QPointer<QWidget> m_viewWidget;
    QUrl m_url;
    bool m_offered = false;
};
