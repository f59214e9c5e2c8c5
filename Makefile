# The two set-up commands of the README. Both install what the build needs first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo

.PHONY: run test deps build clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build $(BUILD_DIR)

run: build
	@bash scripts/run-example.sh $(BUILD_DIR)/bin/kavo

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j 2

clean:
	rm -rf $(BUILD_DIR)
