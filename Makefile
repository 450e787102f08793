MAKEFLAGS += --no-print-directory
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@sh tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ]; then exec $(BUILD)/bin/pryx $(ARGS); \
	 else echo "No DISPLAY: starting pryx on a virtual X display"; \
	      exec xvfb-run -a -s "-screen 0 1920x1080x24" $(BUILD)/bin/pryx $(ARGS); fi

test: build
	@sh tools/run-tests.sh $(BUILD) $(JOBS)

bench: build
	@cmake --build $(BUILD) --target benches -j $(JOBS)
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; PRYX_TEST_SCREEN=7680x2160x24 sh tests/support/isolate.sh $$b || exit 1; done

clean:
	rm -rf $(BUILD)
