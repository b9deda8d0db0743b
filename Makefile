# Set-up, build, run and test Lectorix on Debian 12 (as root, or through sudo).
#   make run    install what the program needs, build, start Lectorix
#   make test   install what the program and its tests need, build, run every test
#   make build  configure and build only

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= OFF
SANITIZE ?= OFF
JOBS ?= $(shell nproc)

# Xvfb and a PulseAudio daemon let `make run` start the program on a machine without a
# display or sound server too (see tools/with-desktop.sh).
RUN_PACKAGES = build-essential cmake pkg-config qt6-base-dev libespeak-ng-dev espeak-ng-data \
               libpulse-dev libsonic-dev poppler-utils poppler-data lame fonts-liberation \
               xvfb xauth pulseaudio pulseaudio-utils
TEST_PACKAGES = qpdf mpg123 espeak-ng

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build deps test-deps bench clean

deps:
	@./tools/install-packages.sh $(RUN_PACKAGES)

test-deps:
	@./tools/install-packages.sh $(RUN_PACKAGES) $(TEST_PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	      -DLECTORIX_WERROR=$(WERROR) -DLECTORIX_SANITIZE=$(SANITIZE)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake -S . -B $(BUILD_DIR) -DLECTORIX_WERROR=$(WERROR) -DLECTORIX_SANITIZE=$(SANITIZE)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: deps build
	./tools/with-desktop.sh ./$(BUILD_DIR)/lectorix

test: test-deps build
	./tools/with-audio.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j 1

bench: test-deps build
	./tools/with-audio.sh ./bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
