# A thin layer over CMake: installs what is missing, builds, runs and tests.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := cmake make g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libcli11-dev nlohmann-json3-dev \
            xvfb xfonts-base openbox libreoffice-core-nogui

FUZZ_BUILD ?= build-fuzz
FUZZ_PACKAGES := clang libclang-rt-14-dev nlohmann-json3-dev cmake make
# How long each fuzz target runs in fuzz-run: SECONDS=n.
FUZZ_SECONDS := $(or $(SECONDS),20)

.PHONY: deps configure build run test sanitize bench screenshots install clean fuzz fuzz-run

deps:
	@$(MAKE) --no-print-directory install-packages LIST="$(PACKAGES)"

install-packages:
	@missing=$$(for p in $(LIST); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/analyzer "$(CURDIR)/examples/sample.pad"

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The unit tests once more, under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKIVRA_SANITIZE=ON -DKIVRA_BUILD_GUI=OFF -DKIVRA_BUILD_BENCH=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bin/kivra_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# The libFuzzer targets of fuzz/, built with clang; fuzz-run runs each for
# SECONDS (20 unless given) on a copy of its seed corpus.
fuzz:
	@$(MAKE) --no-print-directory install-packages LIST="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKIVRA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz-run: fuzz
	tools/run_fuzzers.sh "$(CURDIR)/$(FUZZ_BUILD)" $(FUZZ_SECONDS)

# Pictures of the windows for docs/, rendered headless.
screenshots: build
	$(BUILD)/bin/kivra_screenshots "$(CURDIR)/examples" "$(CURDIR)/docs"

install: build
	$(SUDO) cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
