// The sxsim command line.
#include "simulator/sxsim_options.hpp"

#include <gtest/gtest.h>

using namespace sxsim;

namespace {

ParsedOptions parse(std::vector<std::string_view> args) { return parseSxsimOptions(args); }

TEST(SxsimOptions, FileAndAllOptionsInBothSpellings) {
    const auto parsed = parse({"--steps", "500", "prog.hex", "--device=sx52", "--map", "p.map",
                               "--json", "--break=0x1F", "--break", "7", "--all"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SxsimOptions& o = *parsed.options;
    EXPECT_EQ(o.hexFile, "prog.hex");
    EXPECT_EQ(o.steps, 500u);
    ASSERT_TRUE(o.device);
    EXPECT_EQ(o.device->kind, DeviceKind::SX52);
    EXPECT_EQ(o.mapFile, "p.map");
    EXPECT_TRUE(o.json);
    EXPECT_TRUE(o.all);
    EXPECT_EQ(o.breakpoints, (std::vector<unsigned>{0x1F, 7}));
}

TEST(SxsimOptions, DefaultsLeaveTheDeviceToTheFile) {
    const auto parsed = parse({"a.hex"});
    ASSERT_TRUE(parsed.options);
    EXPECT_FALSE(parsed.options->device);
    EXPECT_EQ(parsed.options->steps, DEFAULT_STEP_LIMIT);
    EXPECT_FALSE(parsed.options->json);
    EXPECT_FALSE(parsed.options->all) << "the compiler's registers are left out unless asked for";
}

TEST(SxsimOptions, HelpNeedsNoFile) {
    const auto parsed = parse({"--help"});
    ASSERT_TRUE(parsed.options);
    EXPECT_TRUE(parsed.options->help);
    EXPECT_NE(sxsimUsage().find("--steps N"), std::string::npos);
}

TEST(SxsimOptions, DoubleDashEndsOptions) {
    const auto parsed = parse({"--", "--odd-name.hex"});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->hexFile, "--odd-name.hex");
}

TEST(SxsimOptions, MistakesAreNamed) {
    EXPECT_EQ(parse({}).error, "no HEX file given");
    EXPECT_EQ(parse({"a.hex", "b.hex"}).error, "more than one HEX file given");
    EXPECT_EQ(parse({"a.hex", "--fast"}).error, "unknown option '--fast'");
    EXPECT_EQ(parse({"a.hex", "--steps"}).error, "--steps needs a value");
    EXPECT_EQ(parse({"a.hex", "--steps", "0"}).error,
              "--steps needs a positive whole number, not '0'");
    EXPECT_EQ(parse({"a.hex", "--steps=12x"}).error,
              "--steps needs a positive whole number, not '12x'");
    EXPECT_EQ(parse({"a.hex", "--device", "pic16"}).error,
              "unknown device 'pic16' (known: sx18, sx20, sx28, sx48, sx52)");
    EXPECT_EQ(parse({"a.hex", "--break", "0x1000"}).error,
              "--break needs a program address up to 0xFFF, not '0x1000'");
}

} // namespace
