// TCompilerConfig: the form (buildForm), creation (FormCreate), the store's read
// (ReadRegistry) and write (SaveRegistryClick), Cancel (Button2Click).
#include "ide/compiler_config_window.hpp"

#include "ide/config_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

namespace kavo::ide {

namespace {

QSettings store() {
    return QSettings("Orvo", "KAVO");
}

QLineEdit* field(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

std::string textOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void showText(QLineEdit* edit, const std::string& value) {
    edit->setText(QString::fromStdString(value));
}

// The value names of the store and the fields they fill.
struct StoredField {
    const char* name;
    QLineEdit* TCompilerConfig::*edit;
};

const StoredField StoredFields[] = {
    {"SRC_DIR", &TCompilerConfig::SourceDir},     {"INCLUDE_DIR", &TCompilerConfig::IncludeDir},
    {"ASM_DIR", &TCompilerConfig::AssemblyDir},   {"OBJ_DIR", &TCompilerConfig::ObjectDir},
    {"TMP_DIR", &TCompilerConfig::TempDir},       {"SRC_EXT", &TCompilerConfig::SourceExt},
    {"ASM_EXT", &TCompilerConfig::AssemblyExt},   {"LST_EXT", &TCompilerConfig::ListExt},
    {"PRE_EXT", &TCompilerConfig::PreprocessExt}, {"OBJ_EXT", &TCompilerConfig::ObjectExt},
    {"ERASE_TIME", &TCompilerConfig::EraseTime},  {"FUSE_TIME", &TCompilerConfig::FuseTime},
    {"FUSEX_TIME", &TCompilerConfig::FuseXTime},  {"ROM_TIME", &TCompilerConfig::CodeTime},
};

} // namespace

TCompilerConfig::TCompilerConfig(IdeSettings& settings, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), settings_(settings), dialogs_(dialogs) {
    buildForm();
    showConfig(CompilerConfig());
    FormCreate();
}

void TCompilerConfig::buildForm() {
    setObjectName("CompilerConfig");
    setWindowTitle("Configuration");
    setModal(true);
    auto* folders = new QGroupBox("Directories", this);
    auto* folderForm = new QFormLayout(folders);
    folderForm->addRow("Source", SourceDir = field(folders, "SourceDir"));
    folderForm->addRow("Include", IncludeDir = field(folders, "IncludeDir"));
    folderForm->addRow("Assembly", AssemblyDir = field(folders, "AssemblyDir"));
    folderForm->addRow("Object", ObjectDir = field(folders, "ObjectDir"));
    folderForm->addRow("Temporary", TempDir = field(folders, "TempDir"));

    auto* extensions = new QGroupBox("Extensions", this);
    auto* extensionForm = new QFormLayout(extensions);
    extensionForm->addRow("Source", SourceExt = field(extensions, "SourceExt"));
    extensionForm->addRow("Assembly", AssemblyExt = field(extensions, "AssemblyExt"));
    extensionForm->addRow("Listing", ListExt = field(extensions, "ListExt"));
    extensionForm->addRow("Preprocess", PreprocessExt = field(extensions, "PreprocessExt"));
    extensionForm->addRow("Object", ObjectExt = field(extensions, "ObjectExt"));

    auto* times = new QGroupBox("Programming times (ms)", this);
    auto* timeForm = new QFormLayout(times);
    timeForm->addRow("Erase", EraseTime = field(times, "EraseTime"));
    timeForm->addRow("Fuse", FuseTime = field(times, "FuseTime"));
    timeForm->addRow("FuseX", FuseXTime = field(times, "FuseXTime"));
    timeForm->addRow("Code", CodeTime = field(times, "CodeTime"));

    auto* ports = new QGroupBox("Serial port", this);
    auto* portRow = new QHBoxLayout(ports);
    PortCom1 = new QRadioButton("COM1", ports);
    PortCom2 = new QRadioButton("COM2", ports);
    PortCom3 = new QRadioButton("COM3", ports);
    PortCom4 = new QRadioButton("COM4", ports);
    int number = 1;
    for (QRadioButton* port : {PortCom1, PortCom2, PortCom3, PortCom4}) {
        port->setObjectName(QString("PortCom%1").arg(number++));
        portRow->addWidget(port);
    }
    PortDevice = new QComboBox(ports);
    PortDevice->setObjectName("PortDevice");
    PortDevice->setEditable(true);
    PortDevice->addItem(QString());
    for (const QString& choice : serialPortChoices())
        if (choice.startsWith('/'))
            PortDevice->addItem(choice);
    portRow->addWidget(PortDevice, 1);
    for (QRadioButton* port : {PortCom1, PortCom2, PortCom3, PortCom4})
        connect(port, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                PortDevice->setCurrentText(QString());
        });
    // A device chosen or typed takes the place of the COM buttons.
    connect(PortDevice, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (!text.trimmed().isEmpty())
            showPort(text.trimmed());
    });

    ReuseMemory = new QCheckBox("Reuse Memory", this);
    ReuseMemory->setObjectName("ReuseMemory");
    AutoSave = new QCheckBox("Save before compiling", this);
    AutoSave->setObjectName("AutoSave");

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setObjectName("SaveRegistry");
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("Button2");
    connect(buttons, &QDialogButtonBox::accepted, this, &TCompilerConfig::SaveRegistryClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &TCompilerConfig::Button2Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(folders, 0, 0);
    grid->addWidget(extensions, 0, 1);
    grid->addWidget(times, 1, 0);
    grid->addWidget(ports, 1, 1);
    grid->addWidget(ReuseMemory, 2, 0);
    grid->addWidget(AutoSave, 2, 1);
    grid->addWidget(buttons, 3, 0, 1, 2);
}

CompilerConfig TCompilerConfig::config() const {
    CompilerConfig c;
    c.sourceDir = textOf(SourceDir);
    c.includeDir = textOf(IncludeDir);
    c.assemblyDir = textOf(AssemblyDir);
    c.objectDir = textOf(ObjectDir);
    c.tempDir = textOf(TempDir);
    c.sourceExt = textOf(SourceExt);
    c.assemblyExt = textOf(AssemblyExt);
    c.listExt = textOf(ListExt);
    c.preprocessExt = textOf(PreprocessExt);
    c.objectExt = textOf(ObjectExt);
    c.eraseTime = textOf(EraseTime);
    c.fuseTime = textOf(FuseTime);
    c.fusexTime = textOf(FuseXTime);
    c.codeTime = textOf(CodeTime);
    c.reuseMemory = ReuseMemory->isChecked();
    c.autoSave = AutoSave->isChecked();
    c.commPort = chosenPort();
    c.installDir = installDir_.toStdString();
    return c;
}

void TCompilerConfig::showConfig(const CompilerConfig& c) {
    showText(SourceDir, c.sourceDir);
    showText(IncludeDir, c.includeDir);
    showText(AssemblyDir, c.assemblyDir);
    showText(ObjectDir, c.objectDir);
    showText(TempDir, c.tempDir);
    showText(SourceExt, c.sourceExt);
    showText(AssemblyExt, c.assemblyExt);
    showText(ListExt, c.listExt);
    showText(PreprocessExt, c.preprocessExt);
    showText(ObjectExt, c.objectExt);
    showText(EraseTime, c.eraseTime);
    showText(FuseTime, c.fuseTime);
    showText(FuseXTime, c.fusexTime);
    showText(CodeTime, c.codeTime);
    ReuseMemory->setChecked(c.reuseMemory);
    AutoSave->setChecked(c.autoSave);
    if (QRadioButton* port = portButton(c.commPort))
        port->setChecked(true);
}

void TCompilerConfig::FormCreate() {
    QSettings settings = store();
    if (settings.allKeys().isEmpty()) {
        dialogs_.message("checking key", FirstStartText, Buttons::Ok, Icon::None);
        writeRegistry();
    } else if (settings.value("SRC_DIR").toString().isEmpty()) {
        writeRegistry();
    }
    ReadRegistry();
}

void TCompilerConfig::ReadRegistry() {
    QSettings settings = store();
    if (settings.allKeys().isEmpty())
        return;
    installDir_ = settings.value("INSTALL_DIR").toString();
    for (const StoredField& stored : StoredFields)
        (this->*stored.edit)->setText(settings.value(stored.name).toString());
    ReuseMemory->setChecked(settings.value("REUSE_MEM").toString() == "1");
    AutoSave->setChecked(settings.value("AUTO_SAVE").toString() == "1");
    const QString stored = settings.value("COMM_PORT").toString();
    showPort(stored);
    setSerialPortName(settings_, stored.startsWith('/')
                                     ? stored.toStdString()
                                     : QString("COM%1:").arg(stored.toInt()).toStdString());
    applyCompilerConfig(config(), settings_);
}

QString TCompilerConfig::sourceFolder() const {
    const QString source = SourceDir->text().replace('\\', '/');
    if (installDir_.isEmpty())
        return source;
    return QDir(QString(installDir_).replace('\\', '/')).filePath(source);
}

void TCompilerConfig::writeRegistry() {
    QSettings settings = store();
    for (const StoredField& stored : StoredFields)
        settings.setValue(stored.name, (this->*stored.edit)->text());
    settings.setValue("REUSE_MEM", ReuseMemory->isChecked() ? "1" : "0");
    settings.setValue("AUTO_SAVE", AutoSave->isChecked() ? "1" : "0");
    const QString device = PortDevice->currentText().trimmed();
    settings.setValue("COMM_PORT", device.isEmpty() ? QString::number(chosenPort()) : device);
    settings.sync();
}

void TCompilerConfig::SaveRegistryClick() {
    writeRegistry();
    applyProgrammingTimes(config(), settings_);
    accept();
}

void TCompilerConfig::Button2Click() {
    reject();
}

QRadioButton* TCompilerConfig::portButton(int port) const {
    switch (port) {
    case 1:
        return PortCom1;
    case 2:
        return PortCom2;
    case 3:
        return PortCom3;
    case 4:
        return PortCom4;
    default:
        return nullptr;
    }
}

void TCompilerConfig::showPort(const QString& stored) {
    QRadioButton* button = stored.startsWith('/') ? nullptr : portButton(stored.toInt());
    for (int port = 1; port <= 4; ++port) {
        // Exclusive buttons cannot all be unchecked one by one.
        portButton(port)->setAutoExclusive(false);
        portButton(port)->setChecked(portButton(port) == button);
        portButton(port)->setAutoExclusive(true);
    }
    if (button == nullptr) {
        const QSignalBlocker quiet(PortDevice);
        PortDevice->setCurrentText(stored);
    } else {
        PortDevice->setCurrentText(QString());
    }
}

int TCompilerConfig::chosenPort() const {
    for (int port = 1; port <= 4; ++port)
        if (portButton(port)->isChecked())
            return port;
    return 1;
}

} // namespace kavo::ide
