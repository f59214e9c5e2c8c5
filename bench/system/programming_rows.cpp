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

#include <algorithm>

namespace kavo::bench {

namespace {

using kavo::programmer::ChipCommand;
using kavo::testing::DriverRig;

constexpr std::size_t Words = 2048;
constexpr double LineBytesPerSecond = 57600.0 / 11.0;
// Pauses of 15 and 400 ms become 0 ms, the 2 s settling 2 ms.
constexpr int NoPauses = 1000;
constexpr int QuickRuns = 3;

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

struct RoundTrip {
    Pass program;
    Pass verify;
};

// Programs the 2048 words into a fresh model, then verifies them.
template <class Model>
RoundTrip roundTrip(const char* programmerType, std::uint32_t fusex, int waitDivisor) {
    DriverRig rig(programmerType, Words);
    rig.options.timing.waitDivisor = waitDivisor;
    Model model(rig.device, Words);
    kavo::testing::fillImage(rig.image, Words);
    rig.host.words = {0xF1B, fusex, 1};
    RoundTrip trip;
    trip.program = timedPass(rig, model, ChipCommand::Program);
    if (trip.program.ok)
        trip.verify = timedPass(rig, model, ChipCommand::Verify);
    return trip;
}

// The quickest of the runs of one pass (a failed one when any failed), with the median time
// in the notes: the pseudo-terminal's round trips depend on how busy the machine is.
BenchRow quickestRow(const std::string& what, std::vector<Pass> passes, const std::string& notes) {
    const auto failed =
        std::find_if(passes.begin(), passes.end(), [](const Pass& p) { return !p.ok; });
    if (failed != passes.end())
        return passRow(what, *failed, 0, notes);
    std::sort(passes.begin(), passes.end(),
              [](const Pass& a, const Pass& b) { return a.seconds < b.seconds; });
    return passRow(what, passes.front(), 0,
                   strprintf("%s; quickest of %zu runs, median %s s", notes.c_str(), passes.size(),
                             figureText(passes[passes.size() / 2].seconds).c_str()));
}

template <class Model>
void addQuickestRows(std::vector<BenchRow>& rows, const std::string& name,
                     const char* programmerType, std::uint32_t fusex, const std::string& notes) {
    std::vector<Pass> programs, verifies;
    for (int run = 0; run < QuickRuns; ++run) {
        const RoundTrip trip = roundTrip<Model>(programmerType, fusex, NoPauses);
        programs.push_back(trip.program);
        verifies.push_back(trip.verify);
    }
    rows.push_back(quickestRow(name + ", program 2048 words", programs, notes));
    rows.push_back(quickestRow(name + ", verify 2048 words", verifies, notes));
}

void addIspAtLineSpeedRows(std::vector<BenchRow>& rows) {
    const RoundTrip trip =
        roundTrip<kavo::testing::IspModel>(kavo::programmer::IspProgrammer, 0xBFF, 1);
    const std::string notes = "what a user waits: full pauses measured, plus the bytes' time at "
                              "57600 8N2; the chip's own programming time not modelled";
    rows.push_back(passRow("RS232 ISP at line speed, program 2048 words", trip.program,
                           static_cast<double>(trip.program.bytes) / LineBytesPerSecond, notes));
    rows.push_back(passRow("RS232 ISP at line speed, verify 2048 words", trip.verify,
                           static_cast<double>(trip.verify.bytes) / LineBytesPerSecond, notes));
}

} // namespace

std::vector<BenchRow> programmingRows() {
    std::vector<BenchRow> rows;
    addQuickestRows<kavo::testing::BlitzModel>(rows, "SX-Blitz",
                                               kavo::programmer::SxBlitzProgrammer, 0xB3F,
                                               "SX-Blitz model on a pseudo-terminal");
    addQuickestRows<kavo::testing::IspModel>(
        rows, "RS232 ISP", kavo::programmer::IspProgrammer, 0xBFF,
        "ISP model on a pseudo-terminal, pauses divided by 1000");
    addIspAtLineSpeedRows(rows);
    return rows;
}

} // namespace kavo::bench
