// Random multi-page programs: functions spread over the pages of a 4096-word part, calling
// each other and jumping over long stretches (guarded and not) into other pages. Whatever
// the layout, the placed program must add up what the source says.
#include "tests/compiler/backend/placement_fixture.hpp"

#include <random>

namespace kavo::testing {
namespace {

constexpr int Acc = 0x0A;
constexpr int Flag = 0x0B;
constexpr int Functions = 4;

class RandomPages : public PlacementTest, public ::testing::WithParamInterface<unsigned> {
protected:
    struct Function {
        int constant = 0;
        int callee = -1; // a later function, so that nothing recurses
    };

    void build() {
        std::mt19937 random(GetParam());
        auto pick = [&random](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        c.pragmas.set("ROM_END", "4095");
        c.pragmas.set("RESET_LOC", "4095");
        variable("acc", Acc);
        variable("flag", Flag);
        flag_ = pick(0, 1);
        for (int f = 0; f < Functions; ++f) {
            functions_[f].constant = pick(1, 50);
            functions_[f].callee =
                f + 1 < Functions && pick(0, 1) == 1 ? pick(f + 1, Functions - 1) : -1;
        }
        label("main");
        op(PIC_CLRF, "acc");
        literal(flag_);
        op(PIC_MOVWF, "flag");
        for (int k = 0; k < 8; ++k) {
            const int f = pick(0, Functions - 1);
            calls_.push_back(f);
            op(PIC_CALL, name(f));
        }
        op(PIC_PAGE, "_end_"); // so that the end stays a jump to itself
        endProgram();
        for (int f = 0; f < Functions; ++f)
            function(f, pick(20, f + 1 < Functions ? 700 : 350), pick(8, 120), pick(0, 1) == 1);
        resetTo();
    }

    static std::string name(int f) { return "f" + std::to_string(f); }

    void add(int value) {
        literal(value);
        op(PIC_ADDWF, "acc", 1);
    }

    // Function f starts near the beginning of page 2f + 1 and may run into the next page.
    // Either the jump over the stretch falls through into it, or a second jump follows the
    // guarded one and the stretch is never run.
    void function(int f, int stretch, int start, bool secondJump) {
        const std::string over = name(f) + "_over";
        op(PIC_ORG, std::to_string((2 * f + 1) * PageWords + start));
        label("@" + name(f));
        add(functions_[f].constant);
        op(PIC_BTFSS, "flag", 0);
        op(PIC_GOTO, over);
        add(1);
        if (secondJump)
            op(PIC_GOTO, over);
        filler(stretch);
        label(over);
        add(2);
        op(PIC_GOTO, name(f) + "_tail");
        label(name(f) + "_tail");
        if (functions_[f].callee >= 0)
            op(PIC_CALL, name(functions_[f].callee));
        add(3);
        op(PIC_RETURN);
        label("@" + name(f) + "_END");
    }

    int total(int f) const {
        int sum = functions_[f].constant + flag_ + 2 + 3;
        if (functions_[f].callee >= 0)
            sum += total(functions_[f].callee);
        return sum;
    }

    int expected() const {
        int sum = 0;
        for (int f : calls_)
            sum += total(f);
        return sum % 256;
    }

    Function functions_[Functions];
    std::vector<int> calls_;
    int flag_ = 0;
};

TEST_P(RandomPages, PlacedProgramComputesWhatTheSourceSays) {
    build();
    PlacedProgram program = runPlaced(sxsim::DeviceKind::SX52);
    EXPECT_EQ(program.core().readFlat(Acc), expected());
    EXPECT_GT(count(PIC_PAGE), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomPages, ::testing::Range(1u, 41u));

} // namespace
} // namespace kavo::testing
