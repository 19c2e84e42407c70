# The two commands: `make run` and `make test`. Both first install what is
# missing from Debian's packages, so a fresh machine needs nothing by hand.

BUILD_DIR      ?= build/release
TEST_BUILD_DIR ?= build/test
PREFIX         ?= /usr/local
CMAKE          ?= cmake

DEB_PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
                libbenchmark-dev xvfb xauth xclip xsel xdotool trayer x11-utils libxcb1-dev \
                fonts-dejavu-core

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build run test bench clean

all: build

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' "$$p" 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	$(CMAKE) -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build $(BUILD_DIR)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display to show the window on (DISPLAY is not set)." >&2; \
	  echo "Start it from a desktop session, or run 'make test' for the headless suite." >&2; \
	  exit 1; \
	fi
	$(BUILD_DIR)/src/app/pastebasket

test: deps
	$(CMAKE) -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DPASTEBASKET_SANITIZE=ON -DBUILD_TESTING=ON
	$(CMAKE) --build $(TEST_BUILD_DIR)
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j2

bench: deps
	$(CMAKE) -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DBUILD_TESTING=OFF -DPASTEBASKET_BENCH=ON
	$(CMAKE) --build build/bench
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build
