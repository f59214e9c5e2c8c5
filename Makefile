# The set-up commands of the README. Each installs what the build needs first.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-asan
BUILD_TYPE ?= RelWithDebInfo

# A sanitizer report exits with its own status, so that a report from a program a test runs
# (kavo, sxsim) is never taken for that program's ordinary failure status of 1.
SANITIZER_ENV = ASAN_OPTIONS=exitcode=86 UBSAN_OPTIONS=print_stacktrace=1:exitcode=87

.PHONY: run test check deps build build-sanitized fuzz bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKAVO_TOOLS_ONLY=OFF \
		$(CMAKE_ARGS) > /dev/null
	@cmake --build $(BUILD_DIR)

# The first run builds only what it runs, the compiler and the simulator (no Qt, no tests):
# `make test` later builds the rest in the same folder.
run:
	@bash scripts/install-deps.sh tools
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKAVO_TOOLS_ONLY=ON \
		$(CMAKE_ARGS) > /dev/null
	@cmake --build $(BUILD_DIR) --target kavo sxsim
	@bash scripts/run-example.sh $(BUILD_DIR)/bin/kavo

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j 2

# The debug build with AddressSanitizer and UndefinedBehaviorSanitizer (assertions on too).
build-sanitized: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVO_WERROR=ON \
		-DKAVO_SANITIZE=ON > /dev/null
	@cmake --build $(SANITIZE_DIR)

# What CI runs: the whole suite on the normal build with warnings as errors, then again
# under the sanitizers.
check: CMAKE_ARGS = -DKAVO_WERROR=ON -DKAVO_LINE_TABLES_ONLY=ON
check: test build-sanitized
	@cd $(SANITIZE_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j 2

# libFuzzer targets under AddressSanitizer and UBSan, built with clang in build-fuzz (preset
# "fuzz"), each run for FUZZ_SECONDS. Not part of `make check`.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@cmake --preset fuzz > /dev/null
	@cmake --build $(FUZZ_DIR) --target compile_fuzz hex_reader_fuzz symbol_map_fuzz \
		preprocessor_fuzz config_file_fuzz vp_loader_fuzz object_file_fuzz ide_settings_fuzz \
		debugger_files_fuzz
	@bash scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The system's figures as one markdown table on standard output (the build's messages go to
# standard error). Not part of `make test` or `make check`. BENCH_ARGS passes options to
# kavo_bench: "--max-lines 5000", "--kavo OTHER/kavo", "--only compile,simulator,programming,size".
bench:
	@bash scripts/install-deps.sh >&2
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKAVO_TOOLS_ONLY=OFF \
		$(CMAKE_ARGS) >&2
	@cmake --build $(BUILD_DIR) --target kavo kavo_bench >&2
	@$(BUILD_DIR)/bin/kavo_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
