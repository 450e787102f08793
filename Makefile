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

# Only the program and the audio library it loads; the desktop is checked
# first, so a start that cannot show anything fails before any build.
run:
	@if [ -z "$$DISPLAY" ]; then \
	   echo "make run: Pryx needs an X11 desktop, and DISPLAY is not set." >&2; \
	   echo "Run it from a terminal of your X11 session, or name the X display to use," >&2; \
	   echo "e.g.  DISPLAY=:0 make run" >&2; exit 1; fi
	@if command -v xdpyinfo >/dev/null 2>&1 && ! xdpyinfo >/dev/null 2>&1; then \
	   echo "make run: Pryx needs an X11 desktop, and the X display DISPLAY=$$DISPLAY does not answer." >&2; \
	   echo "Name a running X display, e.g.  DISPLAY=:0 make run" >&2; exit 1; fi
	@$(MAKE) configure
	@cmake --build $(BUILD) --target pryx audiolib -j $(JOBS)
	@exec $(BUILD)/bin/pryx $(ARGS)

test: build
	@sh tools/run-tests.sh $(BUILD) $(JOBS)

bench: build
	@cmake --build $(BUILD) --target benches -j $(JOBS)
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; PRYX_TEST_SCREEN=7680x2160x24 sh tests/support/isolate.sh $$b || exit 1; done

clean:
	rm -rf $(BUILD)
