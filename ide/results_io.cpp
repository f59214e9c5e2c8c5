// ResultsIo.
#include "ide/results_io.hpp"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace kavo::ide {

void ResultsIo::message(std::string_view text) {
    if (text.starts_with("Bef"))
        return;
    QTextCursor end(results_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    results_->setTextCursor(end);
    results_->ensureCursorVisible();
    pumpEvents();
}

// Repaints only: user input waits until the compile is over, so no command (another
// compile, closing the window) can run inside the compile that is under way.
void ResultsIo::pumpEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace kavo::ide
