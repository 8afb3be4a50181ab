// A web window (`Form2` calendar, `Form3` forecast, `Form4` video forecast): its frame, and its page views, made
// at each showing and released at each close, so the next showing loads the pages afresh.
#pragma once

#include "online/WebView.h"

#include <QPointer>
#include <QWidget>

class Clock;
class QDateEdit;
class Prompts;
class Shell;

class WebPageWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Calendar, Forecast, Video };

    /// What the window's views need from the program.
    struct Context
    {
        WebViewFactory *factory = nullptr;
        Shell *shell = nullptr;
        Prompts *prompts = nullptr;
        const Clock *clock = nullptr;
        /// Scheme, host and port of the maker's site.
        QString siteUrl;
    };

    WebPageWindow(Kind kind, const Context &context, QWidget *parent = nullptr);
    ~WebPageWindow() override;
    Kind kind() const { return m_kind; }

    /// Shows the window; one that is open already only comes to the front, its pages as they are.
    void open();
    /// `VideoProvider` (the video window): "InstaForex", "MaxiForex" or "UtroInvestor"; read at each showing.
    void setVideoProvider(const QString &provider) { m_videoProvider = provider; }
    QString videoProvider() const { return m_videoProvider; }

    /// The page view (calendar, forecast) or video view, and the running line; nothing while there is none.
    WebView *pageView() const { return m_pageWidget ? m_pageView : nullptr; }
    WebView *runningLineView() const { return m_lineWidget ? m_lineView : nullptr; }
    /// `DateTimePicker1` of the video window (nothing in the others).
    QDateEdit *datePicker() const { return m_datePicker; }
    /// `Panel3`: the running line's place in the video window's top bar.
    QWidget *runningLinePanel() const { return m_lineHolder; }

    /// The client size that gives a window at least minOuter outside, given its client and outer sizes now.
    static QSize clientForOuterMinimum(QSize client, QSize outer, QSize minOuter);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createVideoBar();
    /// The video window grows, once its frame is known, to at least its smallest outer size, and is centred.
    void keepMinimumOuterSize();
    void showPages();
    void showVideo();
    void dateChanged();
    /// A new page view in the page area, loading url (nothing loads for an empty address).
    void createPageView(const QUrl &url);
    void releaseViews();
    WebViewHooks hooksFor(WebNavigation::Rule rule);

    Kind m_kind;
    Context m_context;
    QString m_videoProvider;
    QWidget *m_pageArea = nullptr;
    QWidget *m_lineHolder = nullptr;
    QDateEdit *m_datePicker = nullptr;
    WebView *m_pageView = nullptr;
    QPointer<QWidget> m_pageWidget;
    WebView *m_lineView = nullptr;
    QPointer<QWidget> m_lineWidget;
};
