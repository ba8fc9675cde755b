// The outcome of writing a file or making a folder: done, or what failed in words an operator
// can act on. Every writer of the file layer returns one; the command that called it tells the
// operator, in its own words around the reason.
#pragma once

#include <QString>

#include <utility>

namespace k7 {

class [[nodiscard]] FileResult {
public:
    static FileResult Done() { return FileResult(); }
    static FileResult Failed(QString why) {
        FileResult result;
        result.failed_ = true;
        result.why_ = std::move(why);
        return result;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Which file or folder and why; empty once done.
    const QString& why() const { return why_; }

private:
    bool failed_ = false;
    QString why_;
};

} // namespace k7
