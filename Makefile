# The two commands: `make run` and `make test`. Both install what they need on Debian 12.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

RUN_PKGS := cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev \
	libfluidsynth-dev timgm6mb-soundfont libx11-dev libxext-dev libxss-dev libxcb1-dev libxcb-xinerama0-dev libxcb-shm0-dev libpng-dev \
	libwayland-dev wayland-protocols libxkbcommon-dev libxkbcommon-x11-dev libxcb-xkb-dev qt6-wayland \
	fonts-liberation2 fonts-dejavu-core libgtest-dev libgmock-dev libbenchmark-dev
TEST_PKGS := $(RUN_PKGS) xvfb xauth xdotool x11-utils imagemagick sox fluidsynth \
	desktop-file-utils xscreensaver procps openbox pulseaudio pulseaudio-utils xserver-xephyr \
	libxrandr-dev lintian appstream dpkg-dev file locales-all x11-xserver-utils dbus-daemon \
	libglib2.0-bin x11-xkb-utils xkb-data sway grim wtype swayidle mutter dbus-bin strace python3 \
	python3-dbus kwin-wayland
PACKAGE_PKGS := dpkg-dev file

.PHONY: all build run test deps test-deps clean package check

all: build

deps:
	@scripts/ensure-packages $(RUN_PKGS)

test-deps:
	@scripts/ensure-packages $(TEST_PKGS)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display to show the saver on (neither DISPLAY nor WAYLAND_DISPLAY is set); run it under Xvfb: xvfb-run -s '-screen 0 800x600x24' $(BUILD)/bin/driftmere /s"; \
		exit 1; fi
	$(BUILD)/bin/driftmere /s

test: test-deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

package: build
	@scripts/ensure-packages $(PACKAGE_PKGS)
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)

# Robustness: the unit, integration and Qt tests under AddressSanitizer and UBSan (build-asan),
# then every fuzz target for FUZZ_SECONDS each (build-fuzz, clang and libFuzzer).
FUZZ_SECONDS ?= 20
check: test-deps
	@scripts/ensure-packages clang-14 libclang-rt-14-dev clang-format
	JOBS=$(JOBS) FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/check

.PHONY: fuzz
fuzz: test-deps
	@scripts/ensure-packages clang-14 libclang-rt-14-dev clang-format
	JOBS=$(JOBS) scripts/check --fuzz $(FUZZ_SECONDS)
