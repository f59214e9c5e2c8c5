// TLumadesk's edit commands: Undo1Click, the clipboard, SelectAllClick and the forward
// search (Find1Click, FindDialog1Find, Next1Click), and GoToLine1Click.
#include "ide/lumadesk_window.hpp"

#include "ide/find_dialog.hpp"
#include "ide/source_editor.hpp"

#include <QTextBlock>

namespace kavo::ide {

void TLumadesk::Undo1Click() {
    EditWindow->undo();
}

void TLumadesk::Cut1Click() {
    EditWindow->cut();
}

void TLumadesk::Copy1Click() {
    EditWindow->copy();
}

void TLumadesk::Paste1Click() {
    EditWindow->paste();
}

void TLumadesk::SelectAllClick() {
    EditWindow->selectAll();
}

void TLumadesk::Find1Click() {
    FindDialog1->show();
    FindDialog1->raise();
}

// From the end of the selection (the caret when nothing is selected) to the end of the text;
// nothing happens when the text is not there.
void TLumadesk::FindDialog1Find() {
    const QString what = FindDialog1->findText();
    const qsizetype at =
        findForward(EditWindow->toPlainText(), what, EditWindow->textCursor().selectionEnd());
    if (at < 0)
        return;
    QTextCursor match(EditWindow->document());
    match.setPosition(static_cast<int>(at));
    match.setPosition(static_cast<int>(at + what.size()), QTextCursor::KeepAnchor);
    EditWindow->setFocus();
    EditWindow->setTextCursor(match);
}

void TLumadesk::Next1Click() {
    FindDialog1Find();
}

void TLumadesk::GoToLine1Click() {
    const auto line =
        dialogs_->lineNumber("Go to Line", EditWindow->caretLine() + 1, EditWindow->blockCount());
    if (!line)
        return;
    QTextCursor caret(EditWindow->document()->findBlockByNumber(*line - 1));
    EditWindow->setFocus();
    EditWindow->setTextCursor(caret);
    EditWindow->ensureCursorVisible();
}

} // namespace kavo::ide
