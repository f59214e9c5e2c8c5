// TCompilerConfig, the "Configuration" window: the compiler configuration kept in the settings
// store (organisation "Orvo", application "KAVO"; on Linux an INI file in the user's
// configuration folder) under the value names SRC_DIR, INCLUDE_DIR, ... COMM_PORT. Reading
// the store also overwrites the matching IDE settings, so the store wins over "LUMADESK.CFG".
#pragma once

#include "ide/compiler_config.hpp"
#include "ide/dialogs.hpp"
#include "ide/ide_settings.hpp"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QComboBox;
class QRadioButton;

namespace kavo::ide {

// What the first start says once it has written the configuration's defaults.
inline constexpr const char* FirstStartText =
    "No configuration was found, so the default configuration was written. Its folders, "
    "extensions and times can be changed in Edit > Configuration...";

class TCompilerConfig : public QDialog {
    Q_OBJECT
public:
    // Creating the window sets up the store: it writes the defaults when the store is empty
    // or has no source directory, then reads it.
    TCompilerConfig(IdeSettings& settings, Dialogs& dialogs, QWidget* parent = nullptr);

    CompilerConfig config() const;
    void showConfig(const CompilerConfig& config);

    // Reads the store into the fields and the IDE settings; nothing when the store is empty.
    void ReadRegistry();
    // Where the open and save dialogs start: the installation folder and the source folder.
    QString sourceFolder() const;

    QLineEdit *SourceDir, *IncludeDir, *AssemblyDir, *ObjectDir, *TempDir;
    QLineEdit *SourceExt, *AssemblyExt, *ListExt, *PreprocessExt, *ObjectExt;
    QLineEdit *EraseTime, *FuseTime, *FuseXTime, *CodeTime;
    QCheckBox *ReuseMemory, *AutoSave;
    QRadioButton *PortCom1, *PortCom2, *PortCom3, *PortCom4;
    // Any other device: a found USB adapter or a path typed in; empty while a COM button holds.
    QComboBox* PortDevice;

public slots:
    void SaveRegistryClick();
    void Button2Click();

private:
    void FormCreate();
    void buildForm();
    void writeRegistry();
    QRadioButton* portButton(int port) const;
    int chosenPort() const;
    // Checks the COM button of "1".."4", or shows any other value as the device path.
    void showPort(const QString& stored);

    IdeSettings& settings_;
    Dialogs& dialogs_;
    QString installDir_;
};

} // namespace kavo::ide
