// compileArguments, applyCompilerConfig and applyProgrammingTimes.
#include "ide/compiler_config.hpp"

#include "common/line_tools.hpp"

namespace kavo::ide {

std::vector<std::string> compileArguments(const CompilerConfig& config, const std::string& base) {
    return {"kavo",
            "-I",
            config.includeDir,
            "-o",
            config.objectDir,
            "-a",
            config.assemblyDir,
            "-t",
            config.tempDir,
            "-s",
            config.sourceDir,
            "-x",
            config.objectExt,
            "-c",
            config.sourceExt,
            "-m",
            config.reuseMemory ? "1" : "0",
            "-p",
            config.preprocessExt,
            "-l",
            config.listExt,
            "-v",
            config.assemblyExt,
            base};
}

void applyCompilerConfig(const CompilerConfig& config, IdeSettings& settings) {
    settings.objExtension = config.objectExt;
    settings.asmExtension = config.assemblyExt;
    settings.srcExtension = config.sourceExt;
    settings.preExtension = config.preprocessExt;
    settings.lstExtension = config.listExt;
    settings.tmpDir = config.tempDir;
    settings.asmDir = config.assemblyDir;
    settings.objDir = config.objectDir;
    settings.srcDir = config.sourceDir;
    settings.includeDir = config.includeDir;
}

void applyProgrammingTimes(const CompilerConfig& config, IdeSettings& settings) {
    settings.eraseProgTime = common::readIdeNumber(config.eraseTime);
    settings.fuseProgTime = common::readIdeNumber(config.fuseTime);
    settings.fusexProgTime = common::readIdeNumber(config.fusexTime);
    settings.e2flashProgTime = common::readIdeNumber(config.codeTime);
}

} // namespace kavo::ide
