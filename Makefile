# The two commands: `make run` and `make test`. Both first install what is
# missing from Debian's packages, so a fresh machine needs nothing by hand.
# Also: `make install` / `make uninstall` (PREFIX, default /usr/local; DESTDIR is
# honoured), `make package` (a Debian package from the release build),
# `make package-test` (checks that package), `make icons` (redraws the PNGs) and
# `make demo` (takes the pictures in docs/screenshots/ from the release build)
# and `make fuzz` (builds the fuzzing harnesses with clang and runs each for
# FUZZ_SECONDS, FUZZ_JOBS at a time; FUZZ_HARNESSES picks some).

BUILD_DIR      ?= build/release
TEST_BUILD_DIR ?= build/test
PREFIX         ?= /usr/local
CMAKE          ?= cmake

DEB_PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
                libbenchmark-dev xvfb xauth xclip xsel xdotool trayer x11-utils libxcb1-dev \
                fonts-dejavu-core desktop-file-utils appstream librsvg2-bin dpkg-dev file \
                imagemagick openbox python3 dbus-daemon
# Only `make fuzz` needs these: libFuzzer comes with clang's runtime libraries.
FUZZ_DEB_PACKAGES := clang-14 libclang-rt-14-dev
FUZZ_BUILD_DIR ?= build/fuzz
FUZZ_SECONDS   ?= 60
FUZZ_JOBS      ?= 1
FUZZ_HARNESSES ?=

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build run test bench fuzz clean install uninstall package package-test icons demo

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
	  -DPASTEBASKET_SANITIZE=ON -DPASTEBASKET_WERROR=ON -DBUILD_TESTING=ON
	$(CMAKE) --build $(TEST_BUILD_DIR)
	cd $(TEST_BUILD_DIR) && ctest --output-on-failure -j2

bench: deps
	$(CMAKE) -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DBUILD_TESTING=OFF -DPASTEBASKET_BENCH=ON
	$(CMAKE) --build build/bench
	@for b in build/bench/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done
	python3 bench/capture/capture_bench.py build/bench/src/app/pastebasket \
	  build/bench/bench/capture/clipowner

fuzz:
	$(MAKE) deps DEB_PACKAGES="$(DEB_PACKAGES) $(FUZZ_DEB_PACKAGES)"
	$(CMAKE) -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DPASTEBASKET_FUZZ=ON -DBUILD_TESTING=OFF
	$(CMAKE) --build $(FUZZ_BUILD_DIR) --target fuzz_harnesses
	bash fuzz/run.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_HARNESSES)

# CPack's own installs overwrite install_manifest.txt with its paths, so the list
# of what `make install` wrote is kept apart, for `make uninstall`. The manifest
# leaves DESTDIR out of its paths; the list puts it in.
INSTALLED_LIST = $(BUILD_DIR)/installed-files.txt

install: build
	@d="$(DESTDIR)$(PREFIX)"; while [ ! -e "$$d" ]; do d=$$(dirname "$$d"); done; \
	if [ -w "$$d" ]; then as=""; else as="$(SUDO)"; fi; \
	$$as env DESTDIR="$(DESTDIR)" $(CMAKE) --install $(BUILD_DIR) --prefix $(PREFIX) && \
	{ cat $(INSTALLED_LIST) 2>/dev/null; \
	  while IFS= read -r f || [ -n "$$f" ]; do \
	    case "$$f" in "$(DESTDIR)"/*) echo "$$f";; *) echo "$(DESTDIR)$$f";; esac; \
	  done < $(BUILD_DIR)/install_manifest.txt; } \
	  | sort -u > $(INSTALLED_LIST).new && mv $(INSTALLED_LIST).new $(INSTALLED_LIST)

uninstall:
	SUDO="$(SUDO)" bash cmake/uninstall.sh $(INSTALLED_LIST)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

VERSION = $(shell sed -n 's/^project.Pastebasket VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

package-test: package
	@status=0; bash tests/install/check-package.sh \
	  $$(ls -t $(BUILD_DIR)/pastebasket_$(VERSION)_*.deb | head -n1) $(VERSION) || status=$$?; \
	[ $$status -eq 0 ] || [ $$status -eq 77 ]

icons: deps
	data/icons/render-icons.sh

demo: build
	$(CMAKE) --build $(BUILD_DIR) --target darkshot
	bash tools/demo.sh $(BUILD_DIR)/src/app/pastebasket docs/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/tools/darkshot docs/screenshots/dark.png

clean:
	rm -rf build
