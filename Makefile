# The everyday commands: `make run` and `make test`; also bench, fuzz, package and screenshot.
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
CTEST = QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300

.PHONY: all deps build run test lint test-sanitize fuzz fuzz-short bench package screenshot clean \
	deps-windows windows test-windows screenshot-windows

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

# `make run` builds only what it starts: the window, the command line and the simulator; the
# tests and the benchmark wait for `make test`. `make run FAULT=late:650 FAULT_COUNT=1
# BRIDGE=socat`: a simulator that plays a fault, behind a bridge.
RUN_TARGETS = k5-dipswitch k5-dipswitch-cli k5-transmitter-sim

run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) --target $(RUN_TARGETS)
	@FAULT="$(FAULT)" FAULT_COUNT="$(FAULT_COUNT)" BRIDGE="$(BRIDGE)" bash scripts/run.sh $(BUILD)

# Every test: the suite, static analysis, the suite again under the sanitizers, and short
# fuzzing runs. The benchmark is built too, not run (`make bench` runs it), so that a change that
# breaks it fails here.
test: build
	cmake --build $(BUILD) --target k5-bench
	cd $(BUILD) && $(CTEST)
	@$(MAKE) --no-print-directory lint
	@if [ -f scripts/sanitize.sh ]; then $(MAKE) --no-print-directory test-sanitize; fi
	@if [ -f scripts/fuzz.sh ]; then $(MAKE) --no-print-directory fuzz-short; fi

lint: build
	bash scripts/lint.sh $(BUILD)

test-sanitize: deps $(BUILD)/build.ninja
	K5_MAIN_BUILD=$(BUILD) bash scripts/sanitize.sh

fuzz: deps
	bash scripts/fuzz.sh

fuzz-short: deps
	bash scripts/fuzz.sh --short

bench: deps $(BUILD)/build.ninja
	bash scripts/bench.sh $(BUILD)

package: build
	bash scripts/package.sh $(BUILD)

# `make screenshot` writes build/form1.png; `make screenshot SCALE=2` draws the window as a screen
# at 200% shows it and writes build/form1@2x.png (SCALE=1.5: build/form1@1.5x.png).
SCALE ?= 1
SCREENSHOT = $(BUILD)/form1$(if $(filter-out 1,$(SCALE)),@$(SCALE)x).png

screenshot: build
	cmake --build $(BUILD) --target form1-screenshot
	QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$(SCALE) $(BUILD)/app/form1-screenshot $(SCREENSHOT)

# The Windows build, cross-compiled with the Qt kit in K5_WINDOWS_KIT (default ../shared/windows):
# build-win/k5-dipswitch-<version>-win64.zip and the installer k5-dipswitch-<version>-setup.exe.
# `make test-windows` installs it under Wine and runs it against the
# simulator; `make screenshot-windows` writes the window's first frame under Wine to
# build-win/form1-windows.png.
WINDOWS_SETUP = build-win/k5-dipswitch-*-setup.exe

deps-windows:
	@bash scripts/install-deps.sh --windows

windows: deps-windows build
	bash scripts/windows.sh $(BUILD)

test-windows: windows
	bash tests/windows/test-windows.sh $(BUILD) $(WINDOWS_SETUP)

screenshot-windows: windows
	bash tests/windows/test-windows.sh $(BUILD) $(WINDOWS_SETUP) build-win/form1-windows.png

clean:
	rm -rf $(BUILD) build-*
