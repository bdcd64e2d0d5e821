# A thin layer over CMake: installs what is missing, builds, runs and tests.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libgl-dev libgtest-dev libgmock-dev \
            libbenchmark-dev libcli11-dev nlohmann-json3-dev cmark-gfm \
            xvfb xfonts-base openbox libreoffice-core-nogui chromium

REL_BUILD ?= build-release
# dpkg-shlibdeps finds the package's dependencies; lintian checks the package.
PACKAGE_PACKAGES := dpkg-dev file lintian man-db
FORMAT_PACKAGES := clang-format-14
WIN_BUILD ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix wine wine64 libcli11-dev nlohmann-json3-dev libgtest-dev \
                    libgmock-dev cmake make
FUZZ_BUILD ?= build-fuzz
FUZZ_PACKAGES := clang libclang-rt-14-dev nlohmann-json3-dev cmake make
# How long each fuzz target runs in fuzz-run: SECONDS=n; SEED=n picks the
# mutations (1 unless given, 0 a new one each run).
FUZZ_SECONDS := $(or $(SECONDS),20)
FUZZ_SEED := $(or $(SEED),1)

.PHONY: deps browser-deps configure build run test sanitize bench screenshots install clean fuzz fuzz-run windows windows-test \
        release package package-check format format-check

deps:
	@$(MAKE) --no-print-directory install-packages LIST="$(PACKAGES)"
	@$(MAKE) --no-print-directory browser-deps

# The browser test's Node.js module (playwright-core, which drives the
# installed Chromium), from the npm registry as the lock file pins it.
browser-deps:
	@command -v npm >/dev/null 2>&1 || $(MAKE) --no-print-directory install-packages LIST="nodejs npm"
	@[ tests/e2e/browser/node_modules/.package-lock.json -nt tests/e2e/browser/package-lock.json ] || \
	  npm ci --prefix tests/e2e/browser --no-audit --no-fund --loglevel=error

install-packages:
	@missing=$$(for p in $(LIST); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_WERROR=ON -DCMAKE_INSTALL_PREFIX=$(PREFIX)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/analyzer "$(CURDIR)/examples/sample.pad"

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The unit tests once more, under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKIVRA_WERROR=ON -DKIVRA_SANITIZE=ON -DKIVRA_BUILD_GUI=OFF -DKIVRA_BUILD_BENCH=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bin/kivra_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# The libFuzzer targets of fuzz/, built with clang; fuzz-run runs each for
# SECONDS (20 unless given) on a copy of its seed corpus, mutating by SEED.
fuzz:
	@$(MAKE) --no-print-directory install-packages LIST="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIVRA_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DKIVRA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz-run: fuzz
	tools/run_fuzzers.sh "$(CURDIR)/$(FUZZ_BUILD)" $(FUZZ_SECONDS) $(FUZZ_SEED)

# kivra.exe and the unit tests for Windows, cross-built with mingw-w64, and
# kivra-windows.zip (the program and the README); windows-test runs the unit
# tests under wine and compares kivra.exe's outputs with the Linux build's.
windows:
	@$(MAKE) --no-print-directory install-packages LIST="$(WINDOWS_PACKAGES)"
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DKIVRA_WERROR=ON
	cmake --build $(WIN_BUILD) -j $(JOBS) --target kivra kivra_unit_tests
	x86_64-w64-mingw32-strip -o $(WIN_BUILD)/kivra.exe $(WIN_BUILD)/bin/kivra.exe
	cp README.md $(WIN_BUILD)/README.md
	cd $(WIN_BUILD) && cmake -E tar cf kivra-windows.zip --format=zip kivra.exe README.md

windows-test: windows build
	WINEDEBUG=-all WINEPREFIX="$(CURDIR)/$(WIN_BUILD)/wine" wine $(WIN_BUILD)/bin/kivra_unit_tests.exe --gtest_brief=1
	WINEPREFIX="$(CURDIR)/$(WIN_BUILD)/wine" tools/windows_checks.sh $(BUILD)/bin $(WIN_BUILD)/bin

# Pictures of the windows for docs/, rendered headless, and the HTML report
# of the example with its pictures.
screenshots: build
	$(BUILD)/bin/kivra_screenshots "$(CURDIR)/examples" "$(CURDIR)/docs"
	tools/report_pages.sh $(BUILD)/bin/kivra

install: build
	$(SUDO) cmake --install $(BUILD)

# The Release build as a packager makes it (installed under /usr), and its
# unit tests; package makes kivra_<version>_<arch>.deb of it in this folder.
# Built with Debian's hardening flags and kivra linked dynamically, as a
# distribution builds it; only the installed programs and the unit tests.
release: deps
	@$(MAKE) --no-print-directory install-packages LIST="$(PACKAGE_PACKAGES)"
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(REL_BUILD) -DCMAKE_BUILD_TYPE=Release -DKIVRA_WERROR=ON -DKIVRA_BUILD_BENCH=OFF \
	  -DKIVRA_STATIC_CLI=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(REL_BUILD) -j $(JOBS) --target kivra analyzer kivra_tag kivra_unit_tests \
	  kivra_manual kivra_man_pages kivra_changelog
	cd $(REL_BUILD) && LC_ALL=C bin/kivra_unit_tests --gtest_brief=1

package: release
	cd $(REL_BUILD) && cpack -G DEB
	cp $(REL_BUILD)/kivra_*.deb .

# Installs the package with apt, uses what it installed, checks it with
# lintian, and removes it again.
package-check: package
	tools/package_check.sh kivra_*.deb

# clang-format over our C++ sources: format rewrites them, format-check fails
# on any file that does not follow .clang-format.
format:
	@$(MAKE) --no-print-directory install-packages LIST="$(FORMAT_PACKAGES)"
	tools/cpp_sources.sh | xargs -0 clang-format-14 -i

format-check:
	@$(MAKE) --no-print-directory install-packages LIST="$(FORMAT_PACKAGES)"
	tools/cpp_sources.sh | xargs -0 clang-format-14 --dry-run --Werror

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) $(REL_BUILD)
