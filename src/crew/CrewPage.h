// The crew view's page: one file of HTML with its style and its script (page/crew.html),
// compiled into the program as a Qt resource; nothing is read from disk or from outside. The
// view's Content-Security-Policy ("default-src 'self'") runs no inline style or script, so the
// page is served as three answers cut from the one file: the HTML, whose style and script are
// linked with the access key in their addresses, /crew.css and /crew.js.
#pragma once

#include <QByteArray>

namespace k7 {

class CrewPage {
public:
    CrewPage();
    // The page with the key in the addresses of its style and script.
    QByteArray Html(const QByteArray& key) const;
    const QByteArray& Style() const { return style_; }
    const QByteArray& Script() const { return script_; }

private:
    QByteArray html_; // with kKeyMark where the key goes
    QByteArray style_;
    QByteArray script_;
};

} // namespace k7
