# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test test-sanitized test-leaks fuzz run cli-example bench bench-trust clean

all: build

deps:
	@tools/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# `make run` starts the desktop program; without a display it shows vortlan-cli fitting the C 1s example.
CLI := $(BUILD_DIR)/cli/vortlan-cli
EXAMPLE := $(BUILD_DIR)/c1s-example
PROJECT := $(EXAMPLE)/c1s.xps

# The core and its tests under AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZED_DIR ?= build-sanitized

test-sanitized: deps
	@cmake -S . -B $(SANITIZED_DIR) -DCMAKE_BUILD_TYPE=Debug -DVORTLAN_SANITIZE=ON -DVORTLAN_WITH_QT=OFF \
		-DVORTLAN_BUILD_BENCHMARKS=OFF
	@cmake --build $(SANITIZED_DIR) -j $(JOBS)
	@ctest --test-dir $(SANITIZED_DIR) --output-on-failure -j $(JOBS)

# The desktop program's typical road, the pictures and vortlan-cli's commands under AddressSanitizer
# and its leak checker, on the offscreen platform.
LEAKS_DIR ?= build-leaks
LEAKS_RUN := QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1

test-leaks: deps
	@cmake -S . -B $(LEAKS_DIR) -DCMAKE_BUILD_TYPE=Debug -DVORTLAN_SANITIZE=ON -DVORTLAN_BUILD_BENCHMARKS=OFF
	@cmake --build $(LEAKS_DIR) -j $(JOBS) --target ui_tests render_tests cli_tests
	@$(LEAKS_RUN) $(LEAKS_DIR)/tests/ui/ui_tests --gtest_brief=1
	@$(LEAKS_RUN) $(LEAKS_DIR)/tests/render/render_tests --gtest_brief=1
	@$(LEAKS_RUN) $(LEAKS_DIR)/tests/cli/cli_tests --gtest_brief=1

# Every reader of a user's file under libFuzzer (clang, with the sanitizers), each target for
# FUZZ_SECONDS on a copy of its seeds in fuzz/corpus/; fails when one of them finds anything.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz:
	@tools/install-deps fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
		-DVORTLAN_FUZZ=ON -DVORTLAN_WITH_QT=OFF -DVORTLAN_BUILD_TESTS=OFF -DVORTLAN_BUILD_BENCHMARKS=OFF
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@fuzz/run $(FUZZ_DIR) $(FUZZ_SECONDS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/app/vortlan; \
	else \
		echo "There is no display here to open Vortlan's windows on."; \
		echo "vortlan-cli runs every command without a window; here it fits the C 1s example:"; \
		echo; \
		$(MAKE) --no-print-directory cli-example; \
	fi

cli-example: build
	@rm -rf $(EXAMPLE) && mkdir -p $(EXAMPLE)
	$(CLI) import vamas examples/c1s.vms -o $(PROJECT)
	$(CLI) background $(PROJECT) --region 1 --type shirley -o $(PROJECT)
	$(CLI) add-peak $(PROJECT) --region 1 --position 284.7 --area 20000 --fwhm 1.2 --gl 30 -o $(PROJECT)
	$(CLI) add-peak $(PROJECT) --region 1 --position 286.4 --area 5000 --fwhm 1.2 --gl 30 -o $(PROJECT)
	$(CLI) add-peak $(PROJECT) --region 1 --position 287.7 --area 2000 --fwhm 1.2 --gl 30 -o $(PROJECT)
	$(CLI) add-peak $(PROJECT) --region 1 --position 289.1 --area 3000 --fwhm 1.2 --gl 30 -o $(PROJECT)
	$(CLI) fit $(PROJECT) --region 1 -o $(PROJECT)
	$(CLI) export peaks $(PROJECT) --region 1 -o $(EXAMPLE)/c1s.par
	$(CLI) render $(PROJECT) --region 1 -o $(EXAMPLE)/c1s.png
	$(CLI) info $(PROJECT)
	@echo
	@echo "The fitted project, its peak table and a picture of the fit are in $(EXAMPLE)/."
	@echo "'$(CLI) --help' lists every command; 'make test' runs every test."

bench: build
	@tools/install-deps bench
	@BUILD_DIR=$(BUILD_DIR) tools/bench-report

# The poor-start suite on real regions (bench/trust/README.md): needs the fetched spectra in
# bench/trust/real/, names those that are missing, and takes some minutes.
bench-trust: configure
	@tools/install-deps bench
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vortlan-cli
	@/usr/bin/python3 bench/trust/run_suite.py --cli $(CLI) --work $(BUILD_DIR)/trust-suite

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZED_DIR) $(LEAKS_DIR) $(FUZZ_DIR)
