# Thin wrapper around CMake. `make run` builds and starts the game, `make test` builds and runs
# every test. Both first install the Debian packages the build needs when any is missing.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Everything the build, the data tree and the tests need on a fresh Debian 12 machine.
PACKAGES := build-essential cmake pkg-config googletest libgtest-dev libgmock-dev \
	libsdl2-dev libsdl2-image-dev libepoxy-dev libfreetype-dev libvorbis-dev libogg-dev \
	libopenal-dev libpng-dev zlib1g-dev libjpeg-dev \
	librsvg2-bin fonts-jetbrains-mono fonts-roboto-unhinted fonts-rampart \
	xvfb xauth xdotool imagemagick x11-utils libx11-dev sox

.PHONY: all deps configure build run test clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing missing packages:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cd $(BUILD_DIR) && ./vantor

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
