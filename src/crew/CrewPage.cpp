#include "CrewPage.h"

#include <QFile>

namespace k7 {
namespace {

constexpr QByteArrayView kKeyMark = "@KEY@";

// Cuts the first <tag>...</tag> out of page and puts link in its place; returns what it held.
QByteArray CutElement(QByteArray& page, QByteArrayView tag, const QByteArray& link) {
    const QByteArray open = "<" + tag.toByteArray() + ">";
    const QByteArray close = "</" + tag.toByteArray() + ">";
    const qsizetype start = page.indexOf(open);
    const qsizetype end = start < 0 ? -1 : page.indexOf(close, start);
    if (end < 0) {
        return {};
    }
    QByteArray content = page.mid(start + open.size(), end - start - open.size());
    page.replace(start, end + close.size() - start, link);
    return content;
}

} // namespace

CrewPage::CrewPage() {
    QFile file(QStringLiteral(":/crew/crew.html"));
    if (file.open(QIODevice::ReadOnly)) {
        html_ = file.readAll();
    }
    style_ = CutElement(html_, "style",
                        "<link rel=\"stylesheet\" href=\"crew.css?key=" + kKeyMark.toByteArray() +
                            "\">");
    script_ =
        CutElement(html_, "script",
                   "<script src=\"crew.js?key=" + kKeyMark.toByteArray() + "\" defer></script>");
}

QByteArray CrewPage::Html(const QByteArray& key) const {
    QByteArray html = html_;
    return html.replace(kKeyMark, key);
}

} // namespace k7
