// libFuzzer target: the IDE's reader of LUMADESK.CFG on any text, then the text written back
// from what was read. The reader needs no QApplication: it is built here from its own source.
#include "ide/ide_settings.hpp"
#include "tests/fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::testing::TempDir dir;
    kavo::testing::writeFile(kavo::ide::IdeSettingsFileName, kavo::fuzzing::inputText(data, size));
    kavo::ide::IdeSettings settings;
    kavo::ide::readIdeSettings(kavo::ide::IdeSettingsFileName, settings);
    kavo::ide::ideSettingsText(settings);
    return 0;
}
