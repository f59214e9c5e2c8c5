// TAssembly: loading the listing, the jump to the source and the listing follow.
#include "ide/assembly_window.hpp"

#include "common/line_tools.hpp"
#include "ide/clickable_text.hpp"
#include "ide/source_editor.hpp"

#include <QFile>
#include <QFontDatabase>
#include <QVBoxLayout>

namespace kavo::ide {

TAssembly::TAssembly(SourceEditor* editor, QWidget* parent)
    : QWidget(parent, Qt::Window), AsmListFile(new ClickableText(this)), editor_(editor) {
    setObjectName("Assembly");
    setWindowTitle("Assembly Listing File");
    AsmListFile->setObjectName("AsmListFile");
    AsmListFile->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 30);
    layout->addWidget(AsmListFile);
    resize(760, 520);
    connect(AsmListFile, &ClickableText::pressed, this, &TAssembly::AsmListFileMouseDown);
}

bool TAssembly::loadListing(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    AsmListFile->setPlainText(QString::fromUtf8(file.readAll()).remove('\r'));
    return true;
}

void TAssembly::clearListing() {
    AsmListFile->clear();
}

bool TAssembly::followSourceLine(int line) {
    const QString text = AsmListFile->toPlainText() + '\n';
    const QString mark = QString("; Line: %1").arg(line);
    const qsizetype at = text.indexOf(mark + '\n');
    if (at <= 0)
        return false;
    QTextCursor cursor(AsmListFile->document());
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + mark.size()), QTextCursor::KeepAnchor);
    AsmListFile->setTextCursor(cursor);
    AsmListFile->ensureCursorVisible();
    return true;
}

void TAssembly::AsmListFileMouseDown() {
    const QString line = AsmListFile->selectCaretLine();
    const auto source = common::markedSourceLine(line.toStdString(), editor_->blockCount());
    if (!source)
        return;
    editor_->selectLine(*source);
    AsmListFile->setFocus();
}

} // namespace kavo::ide
