# A thin layer over CMake: installs what is missing, builds, runs and tests.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := cmake make g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libcli11-dev nlohmann-json3-dev \
            xvfb xfonts-base openbox

.PHONY: deps configure build run test sanitize bench screenshots install clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
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

# Pictures of the windows for docs/, rendered headless.
screenshots: build
	$(BUILD)/bin/kivra_screenshots "$(CURDIR)/examples" "$(CURDIR)/docs"

install: build
	$(SUDO) cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
