#include "online/WebNavigation.h"

namespace WebNavigation {

int flags(Kind kind)
{
    return static_cast<int>(kind);
}

bool userStarted(Kind kind)
{
    switch (kind) {
    case Kind::LinkClicked:
    case Kind::FormSubmitted:
    case Kind::NewWindow: return true;
    case Kind::Program:
    case Kind::BackForward:
    case Kind::Reload:
    case Kind::Other:
    case Kind::Redirect: return false;
    }
    return false;
}

bool mayHandOff(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid()
           && (scheme == QLatin1String("http") || scheme == QLatin1String("https")
               || scheme == QLatin1String("mailto"));
}

namespace {

Action ruleAction(Rule rule, Kind kind, bool mainFrame, const QUrl &url)
{
    switch (rule) {
    case Rule::Free: return Action::Stay;
    case Rule::Banner: return userStarted(kind) ? Action::HandOff : Action::Stay;
    case Rule::Page: return userStarted(kind) ? Action::HandOffAndShowFlags : Action::Stay;
    case Rule::RunningLine:
        // Only the main frame is judged by its address: a frame the running line loads by itself would
        // otherwise open the desktop's browser with nobody having clicked anything.
        if (kind == Kind::NewWindow)
            return Action::HandOff;
        if (mainFrame)
            return url.toString().contains(QLatin1String(RunningLineMark)) ? Action::Stay : Action::HandOff;
        return userStarted(kind) ? Action::HandOff : Action::Stay;
    }
    return Action::Stay;
}

} // namespace

Action decide(Rule rule, Kind kind, bool mainFrame, const QUrl &url)
{
    const Action action = ruleAction(rule, kind, mainFrame, url);
    if (action != Action::Stay && !mayHandOff(url))
        return Action::Refuse;
    return action;
}

} // namespace WebNavigation
