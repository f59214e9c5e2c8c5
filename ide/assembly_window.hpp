// TAssembly, the "Assembly Listing File" window: the compiler's listing, read only. A press on
// a listing line with a "Line:" mark selects that source line in the editor.
#pragma once

#include <QWidget>

namespace kavo::ide {

class ClickableText;
class SourceEditor;

class TAssembly : public QWidget {
    Q_OBJECT
public:
    TAssembly(SourceEditor* editor, QWidget* parent = nullptr);

    // Loads the listing; false (the window unchanged) when the file cannot be read.
    bool loadListing(const QString& path);
    void clearListing();
    // Selects "; Line: N" for the 1-based source line N; false when the listing has no mark.
    bool followSourceLine(int line);

    ClickableText* AsmListFile;

public slots:
    void AsmListFileMouseDown();

private:
    SourceEditor* editor_;
};

} // namespace kavo::ide
