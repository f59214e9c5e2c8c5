// programmingRows: 2048 words (a pattern with some erased words and runs of them) programmed and
// then verified through the real drivers (makeSerialChipCommandRunner) over a pseudo-terminal,
// with a programmer model on the far side. The pseudo-terminal moves bytes at memory speed, so
// these rows measure the drivers and the protocol's exchanges, not a serial line. The RS232 ISP
// driver pauses before each argument byte and while the chip settles: one pair of rows divides
// those pauses away, one runs them in full and adds the time the bytes take on a 57600-baud 8N2
// line (11 bits each, one after the other, as the protocol waits for every answer).
#include "bench/system/bench_rows.hpp"
#include "compiler/base/text_format.hpp"
#include "tests/programmer/blitz_model.hpp"
#include "tests/programmer/driver_rig.hpp"
#include "tests/programmer/isp_model.hpp"

namespace kavo::bench {

namespace {

using kavo::programmer::ChipCommand;
using kavo::testing::DriverRig;

constexpr std::size_t Words = 2048;
constexpr double LineBytesPerSecond = 57600.0 / 11.0;
constexpr int NoPauses = 1000;

struct Pass {
    bool ok = false;
    double seconds = 0;
    long bytes = 0;
    std::string messages; // what the driver showed, when it failed
};

template <class Model> Pass timedPass(DriverRig& rig, Model& model, ChipCommand command) {
    const long before = model.bytesReceived() + model.bytesSent();
    Pass pass;
    pass.ok = rig.run(command);
    pass.seconds = rig.seconds;
    pass.bytes = model.bytesReceived() + model.bytesSent() - before;
    if (!pass.ok) {
        for (const std::string& text : rig.host.texts())
            pass.messages += text + " ";
    }
    return pass;
}

BenchRow passRow(const std::string& what, const Pass& pass, double lineSeconds,
                 const std::string& notes) {
    const double seconds = pass.seconds + lineSeconds;
    if (!pass.ok)
        return {"programming", what, "-", "words/s", "failed: " + pass.messages};
    return {"programming", what, figureText(static_cast<double>(Words) / seconds), "words/s",
            strprintf("%s s, %ld bytes exchanged; %s", figureText(seconds).c_str(), pass.bytes,
                      notes.c_str())};
}

void prepare(DriverRig& rig, std::uint32_t fusex) {
    kavo::testing::fillImage(rig.image, Words);
    rig.host.words = {0xF1B, fusex, 1};
}

void addBlitzRows(std::vector<BenchRow>& rows) {
    DriverRig rig(kavo::programmer::SxBlitzProgrammer, Words);
    kavo::testing::BlitzModel blitz(rig.device, Words);
    prepare(rig, 0xB3F);
    const Pass program = timedPass(rig, blitz, ChipCommand::Program);
    const Pass verify = program.ok ? timedPass(rig, blitz, ChipCommand::Verify) : Pass{};
    const std::string notes = "SX-Blitz model on a pseudo-terminal";
    rows.push_back(passRow("SX-Blitz, program 2048 words", program, 0, notes));
    rows.push_back(passRow("SX-Blitz, verify 2048 words", verify, 0, notes));
}

void addIspRows(std::vector<BenchRow>& rows, int waitDivisor) {
    DriverRig rig(kavo::programmer::IspProgrammer, Words);
    rig.options.timing.waitDivisor = waitDivisor;
    kavo::testing::IspModel isp(rig.device, Words);
    prepare(rig, 0xBFF);
    const Pass program = timedPass(rig, isp, ChipCommand::Program);
    const Pass verify = program.ok ? timedPass(rig, isp, ChipCommand::Verify) : Pass{};
    if (waitDivisor == NoPauses) {
        const std::string notes = "ISP model on a pseudo-terminal, pauses divided by 1000";
        rows.push_back(passRow("RS232 ISP, program 2048 words", program, 0, notes));
        rows.push_back(passRow("RS232 ISP, verify 2048 words", verify, 0, notes));
        return;
    }
    const std::string notes = "what a user waits: full pauses measured, plus the bytes' time at "
                              "57600 8N2; the chip's own programming time not modelled";
    rows.push_back(passRow("RS232 ISP at line speed, program 2048 words", program,
                           static_cast<double>(program.bytes) / LineBytesPerSecond, notes));
    rows.push_back(passRow("RS232 ISP at line speed, verify 2048 words", verify,
                           static_cast<double>(verify.bytes) / LineBytesPerSecond, notes));
}

} // namespace

std::vector<BenchRow> programmingRows() {
    std::vector<BenchRow> rows;
    addBlitzRows(rows);
    addIspRows(rows, NoPauses);
    addIspRows(rows, 1);
    return rows;
}

} // namespace kavo::bench
