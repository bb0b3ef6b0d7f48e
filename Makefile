# The two set-up commands: `make demo` runs the main program, `make test`
# builds everything and runs every test. Both install missing system packages first.
BUILD ?= build
JOBS ?= 2
BUILD_TYPE ?= RelWithDebInfo

.PHONY: all setup configure build demo test bench clean

all: build

setup:
	@scripts/setup-deps.sh

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: setup build
	$(BUILD)/bin/vexdraw

test: setup build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: setup build
	@for b in $(BUILD)/bin/*_bench; do [ -x "$$b" ] && "$$b" || true; done

clean:
	rm -rf $(BUILD)
