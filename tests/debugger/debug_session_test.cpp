#include "debugger/debug_program.hpp"
#include "debugger/debug_session.hpp"

#include "tests/support/in_process_compile.hpp"
#include "tests/support/sx28_prelude.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace kavo::debugger {
namespace {

// A counting loop: ten passes add 1 to count and 300 to sum; after it total = total + count.
const std::string LoopProgram = R"(unsigned char count;
unsigned char total;
unsigned long sum;
void main(void)
{
    unsigned char i;
    count = 0;                          // first
    total = 5;
    sum = 0;
    for (i = 0; i < 10; i++) {          // loop
        count = count + 1;              // body
        sum = sum + 300;                // add
    }
    total = total + count;              // after
    while (1)
        ;
}
)";

// Compiles a program in a fresh folder and opens a session on its outputs.
class CompiledSession {
public:
    explicit CompiledSession(const std::string& program) : source_(testing::Sx28 + program) {
        compile_.wholeBackEnd = true;
        compile_.run(source_);
        if (!compile_.c.successFlag)
            throw std::runtime_error("did not compile:\n" + compile_.io.messages);
        program_ = loadDebugProgram(filesBesideObject("prog.obj", "prog.c"));
        session_.emplace(program_.image, program_.lines);
    }

    // The 1-based line that holds the comment "// marker".
    int line(const std::string& marker) const {
        std::istringstream in(source_);
        std::string text;
        for (int number = 1; std::getline(in, text); ++number) {
            if (text.find("// " + marker) != std::string::npos)
                return number;
        }
        throw std::runtime_error("no line marked " + marker);
    }
    unsigned value(const std::string& name) const {
        const VariableRecord* v = findVariable(program_.variables, name);
        if (v == nullptr)
            throw std::runtime_error("no variable " + name);
        return session_->readValue(v->address, v->size);
    }
    void set(const std::string& name, unsigned value) {
        const VariableRecord* v = findVariable(program_.variables, name);
        session_->writeValue(v->address, v->size, value);
    }
    DebugSession& session() { return *session_; }

    void run() {
        session_->startRun();
        ASSERT_TRUE(session_->runToStop(1'000'000));
    }
    void step() {
        session_->startStep();
        ASSERT_TRUE(session_->runToStop(1'000'000));
    }

private:
    std::string source_;
    testing::InProcessCompile compile_;
    DebugProgram program_;
    std::optional<DebugSession> session_;
};

TEST(DebugSession, RunStopsAtABreakpointLineWithTheValuesOfThatPass) {
    CompiledSession p(LoopProgram);
    p.session().setBreakpointLines({p.line("body")});
    p.run();
    EXPECT_EQ(p.session().state(), SessionState::Stopped);
    EXPECT_EQ(p.session().currentLine(), p.line("body"));
    EXPECT_EQ(p.value("count"), 0u);
    EXPECT_EQ(p.value("i"), 0u);
    EXPECT_EQ(p.value("total"), 5u);
    p.run();
    p.run();
    EXPECT_EQ(p.session().currentLine(), p.line("body"));
    EXPECT_EQ(p.value("count"), 2u);
    EXPECT_EQ(p.value("sum"), 600u) << "a 16-bit variable read whole";
    EXPECT_EQ(p.value("i"), 2u);
}

TEST(DebugSession, RunGoesOnToTheNextBreakpointLineAndThenToTheEnd) {
    CompiledSession p(LoopProgram);
    p.session().setBreakpointLines({p.line("after")});
    p.run();
    EXPECT_EQ(p.session().currentLine(), p.line("after"));
    EXPECT_EQ(p.value("count"), 10u);
    EXPECT_EQ(p.value("sum"), 3000u);
    EXPECT_EQ(p.value("total"), 5u) << "the line has not run yet";
    p.run();
    EXPECT_EQ(p.session().state(), SessionState::Ended);
    EXPECT_EQ(p.session().endReason(), sxsim::StopReason::SelfJump);
    EXPECT_EQ(p.value("total"), 15u);
    EXPECT_GT(p.session().cycles(), 100u);
}

TEST(DebugSession, ABreakpointOnTheLoopLineStopsOncePerPass) {
    CompiledSession p(LoopProgram);
    p.session().setBreakpointLines({p.line("loop")});
    p.run();
    EXPECT_EQ(p.value("count"), 0u);
    p.run();
    EXPECT_EQ(p.session().currentLine(), p.line("loop"))
        << "the condition right after the set-up belongs to the same visit";
    EXPECT_EQ(p.value("count"), 1u);
}

TEST(DebugSession, StepAdvancesOneSourceLine) {
    CompiledSession p(LoopProgram);
    p.step();
    EXPECT_EQ(p.session().currentLine(), p.line("first")) << "from reset to main's first line";
    p.step();
    EXPECT_EQ(p.session().currentLine(), p.line("first") + 1);
    EXPECT_EQ(p.value("count"), 0u);
    p.session().setBreakpointLines({p.line("body")});
    p.run();
    p.step();
    EXPECT_EQ(p.session().currentLine(), p.line("add"));
    EXPECT_EQ(p.value("count"), 1u);
    EXPECT_EQ(p.value("sum"), 0u);
    p.step();
    EXPECT_EQ(p.session().currentLine(), p.line("loop")) << "the increment of the loop";
    EXPECT_EQ(p.value("sum"), 300u);
}

TEST(DebugSession, StopInterruptsARunningProgram) {
    CompiledSession p(R"(unsigned char ticks;
void main(void)
{
    while (1) {
        ticks = ticks + 1;
    }
}
)");
    p.session().startRun();
    EXPECT_EQ(p.session().advance(5000), SessionState::Running);
    EXPECT_EQ(p.session().advance(5000), SessionState::Running);
    p.session().stop();
    EXPECT_EQ(p.session().state(), SessionState::Stopped);
    const unsigned ticks = p.value("ticks");
    EXPECT_GT(ticks, 0u);
    EXPECT_EQ(p.session().advance(5000), SessionState::Stopped) << "nothing runs after Stop";
    EXPECT_EQ(p.value("ticks"), ticks);
}

TEST(DebugSession, AModificationBeforeRunChangesTheResult) {
    CompiledSession p(LoopProgram);
    p.session().setBreakpointLines({p.line("after")});
    p.run();
    p.set("total", 20);
    p.session().setBreakpointLines({});
    p.run();
    EXPECT_EQ(p.value("total"), 30u);
}

TEST(DebugSession, ResetStartsTheProgramAgain) {
    CompiledSession p(LoopProgram);
    p.run();
    ASSERT_EQ(p.value("total"), 15u);
    p.session().reset();
    EXPECT_EQ(p.value("total"), 0u);
    EXPECT_EQ(p.session().cycles(), 0u);
    EXPECT_FALSE(p.session().currentLine()) << "the reset vector is no source line";
}

// Without the listing and the assembly file, the map file's pc map and memory table serve.
TEST(DebugProgram, TheMapFileStandsInForTheListingAndTheAssemblyFile) {
    testing::InProcessCompile compile;
    compile.wholeBackEnd = true;
    compile.options = {"-f", "x"};
    testing::writeFile("kavoconf.cfg", "MAP_DIR ./\n");
    compile.run(testing::Sx28 + LoopProgram);
    ASSERT_TRUE(compile.c.successFlag) << compile.io.messages;
    std::filesystem::remove("prog.lst");
    std::filesystem::remove("prog.asm");
    const DebugProgram program = loadDebugProgram(filesBesideObject("prog.hex", "prog.c"));
    const VariableRecord* sum = findVariable(program.variables, "sum");
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->size, 2);
    DebugSession session(program.image, program.lines);
    const int after = testing::Sx28Lines + 14;
    session.setBreakpointLines({after});
    session.startRun();
    ASSERT_TRUE(session.runToStop(1'000'000));
    EXPECT_EQ(session.currentLine(), after);
    EXPECT_EQ(session.readValue(static_cast<unsigned>(sum->address), 2), 3000u);
}

// Code of an included file carries that file's line numbers in the listing; the map tells
// them from the source's own lines.
TEST(DebugProgram, LinesOfAnIncludedFileAreNoSourceLines) {
    testing::InProcessCompile compile;
    compile.wholeBackEnd = true;
    compile.options = {"-f", "x"};
    testing::writeFile("kavoconf.cfg", "MAP_DIR ./\n");
    testing::writeFile("util.h", "unsigned char twice(unsigned char v)\n"
                                 "{\n"
                                 "    return v + v;\n"
                                 "}\n");
    compile.run(testing::Sx28 + "#include \"util.h\"\n"
                                "unsigned char r;\n"
                                "void main(void)\n"
                                "{\n"
                                "    r = twice(4);\n"
                                "    while (1)\n"
                                "        ;\n"
                                "}\n");
    ASSERT_TRUE(compile.c.successFlag) << compile.io.messages;
    DebugFiles files = filesBesideObject("prog.hex", "prog.c");
    const DebugProgram program = loadDebugProgram(files);
    EXPECT_TRUE(program.lines.entriesOfLine(3).empty()) << "line 3 of util.h is no line of prog.c";
    EXPECT_FALSE(program.lines.entriesOfLine(testing::Sx28Lines + 5).empty());
    files.map.clear();
    EXPECT_FALSE(loadDebugProgram(files).lines.entriesOfLine(3).empty())
        << "the listing alone cannot tell the files apart";
}

TEST(DebugProgram, MissingOutputsAreNamed) {
    testing::TempDir dir;
    try {
        loadDebugProgram(filesBesideObject("none.obj", "none.c"));
        FAIL() << "no error";
    } catch (const DebugLoadError& e) {
        EXPECT_NE(std::string(e.what()).find("none.obj"), std::string::npos) << e.what();
    }
    testing::writeFile("only.obj", ":00000001FF\n");
    EXPECT_THROW(loadDebugProgram(filesBesideObject("only.obj", "only.c")), DebugLoadError);
}

} // namespace
} // namespace kavo::debugger
