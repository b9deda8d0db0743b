# Set-up, build, run and test Lectorix on Debian 12 (as root, or through sudo).
#   make run      install what the program needs, build the program only, start Lectorix
#   make test     install what the program and its tests need, build everything, run every test
#   make build    configure and build everything, tests and benchmarks included
#   make install  build the programs and install them under PREFIX (default /usr/local)
#   make deb      build the Debian package into BUILD_DIR/packages

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= OFF
SANITIZE ?= OFF
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

# Xvfb and a PulseAudio daemon let `make run` start the program on a machine without a
# display or sound server too (see tools/with-desktop.sh).
RUN_PACKAGES = build-essential cmake pkg-config qt6-base-dev libespeak-ng-dev espeak-ng-data \
               libpulse-dev libsonic-dev libtag1-dev poppler-utils poppler-data lame fonts-liberation \
               xvfb xauth pulseaudio pulseaudio-utils librsvg2-bin
# dpkg-shlibdeps (in dpkg-dev) and file work out the package's library dependencies.
PACKAGE_PACKAGES = dpkg-dev file
# The packaging tests check the installed files and the package with the tools a distribution
# checks them with.
TEST_PACKAGES = qpdf mpg123 mediainfo espeak-ng desktop-file-utils appstream man-db lintian \
                $(PACKAGE_PACKAGES)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build configure install deb deps test-deps package-deps bench clean

deps:
	@./tools/install-packages.sh $(RUN_PACKAGES)

test-deps:
	@./tools/install-packages.sh $(RUN_PACKAGES) $(TEST_PACKAGES)

package-deps:
	@./tools/install-packages.sh $(RUN_PACKAGES) $(PACKAGE_PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	      -DLECTORIX_WERROR=$(WERROR) -DLECTORIX_SANITIZE=$(SANITIZE)

configure: $(BUILD_DIR)/CMakeCache.txt
	cmake -S . -B $(BUILD_DIR) -DLECTORIX_WERROR=$(WERROR) -DLECTORIX_SANITIZE=$(SANITIZE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The window and its data only: no test or benchmark program is built before it starts.
run: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target lectorix
	./tools/with-desktop.sh ./$(BUILD_DIR)/lectorix

install: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target lectorix lectorix-convert desktop_integration
	$(if $(filter $(HOME)/%,$(abspath $(PREFIX))),,$(SUDO)) cmake --install $(BUILD_DIR) --prefix $(PREFIX)

deb: package-deps build
	./tools/make-deb.sh $(BUILD_DIR)

test: test-deps build
	./tools/with-audio.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j 1

bench: test-deps build
	./tools/with-audio.sh ./bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
