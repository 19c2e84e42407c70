# The two commands: `make run` and `make test`. Both first install what is
# missing from Debian's packages, so a fresh machine needs nothing by hand.
# Also: `make install` / `make uninstall` (PREFIX, default /usr/local; DESTDIR is
# honoured), `make package` (a Debian package from the release build),
# `make package-test` (checks that package), `make icons` (redraws the PNGs) and
# `make demo` (takes the pictures in docs/screenshots/ from the release build).

BUILD_DIR      ?= build/release
TEST_BUILD_DIR ?= build/test
PREFIX         ?= /usr/local
CMAKE          ?= cmake

DEB_PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
                libbenchmark-dev xvfb xauth xclip xsel xdotool trayer x11-utils libxcb1-dev \
                fonts-dejavu-core desktop-file-utils appstream librsvg2-bin dpkg-dev file \
                imagemagick openbox

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build run test bench clean install uninstall package package-test icons demo

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
	@for b in build/bench/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

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
	bash tools/demo.sh $(BUILD_DIR)/src/app/pastebasket docs/screenshots

clean:
	rm -rf build
