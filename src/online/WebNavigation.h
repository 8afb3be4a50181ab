// Where a navigation inside an embedded web view goes: it stays in the view, or the desktop's browser gets it.
#pragma once

#include <QString>
#include <QUrl>

namespace WebNavigation {

/// The rule a view follows, by its role.
enum class Rule {
    /// The four banners: a navigation the user starts goes to the desktop's browser.
    Banner,
    /// The page views of the calendar and forecast windows and the video view: as a banner, and the user is
    /// then shown the navigation's flags number.
    Page,
    /// The running line of the video window: any page of the main frame but the running line itself goes out.
    RunningLine,
    /// The hidden view that downloads the installer: everything stays.
    Free,
};

/// How a navigation came about.
enum class Kind {
    /// The program asked for it (a load of its own).
    Program,
    LinkClicked,
    FormSubmitted,
    BackForward,
    Reload,
    /// Anything else the page does by itself: frames loading, scripted moves without a click.
    Other,
    Redirect,
    /// The first navigation of a window the page asked to open (`target=_blank`, window.open on a click).
    NewWindow,
};

enum class Action {
    Stay,
    /// Cancelled in the view and handed to the desktop's browser.
    HandOff,
    /// The same, and then a message box shows the flags number.
    HandOffAndShowFlags,
    /// Cancelled and dropped: an address the desktop's browser is not given (not a web or mail address).
    Refuse,
};

/// The flags number of a navigation: 0 for the program's own, a non-zero number for each other kind.
int flags(Kind kind);
/// Whether the user started it inside the page (a click, a form, a new window).
bool userStarted(Kind kind);
/// The address of the running line: a navigation to an address containing this (case-sensitive) stays.
inline constexpr const char *RunningLineMark = "BegStrok";

/// Whether an address may go to the desktop's browser: http, https and mailto only. A page must not make the
/// desktop open a local file or start whatever handles another scheme.
bool mayHandOff(const QUrl &url);

/// Stay, or hand off (Refuse in place of a hand-off the address may not have).
Action decide(Rule rule, Kind kind, bool mainFrame, const QUrl &url);

} // namespace WebNavigation
