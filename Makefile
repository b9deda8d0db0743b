# Set-up, build, run and test Lectorix on Debian 12 (as root, or through sudo).
#   make run      install what the program needs, build the program only, start Lectorix
#   make test     install what the program and its tests need, build everything, run every test
#   make build    configure and build everything, tests and benchmarks included
#   make install  build the programs and install them under PREFIX (default /usr/local)
#   make deb      build the Debian package into BUILD_DIR/packages
#   make test-sanitized  the light tests once more, built with AddressSanitizer and UBSan
#   make fuzz     build the fuzzers with clang and run each for FUZZ_SECONDS
#   make format-check  report every C++ file not laid out as .clang-format says (changes none)
#   make tidy     run .clang-tidy's checks over src/ with the build's compile_commands.json
#                 (TIDY_SINCE=COMMIT: over the files of src/ changed since that commit only)

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= OFF
SANITIZE ?= OFF
JOBS ?= $(shell nproc)
# Tests run side by side: each has its own scratch folders and sound server (run_isolated.sh).
TEST_JOBS ?= $(JOBS)
PREFIX ?= /usr/local
SANITIZE_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
TIDY_SINCE ?=

# Xvfb and a PulseAudio daemon let `make run` start the program on a machine without a
# display or sound server too (see tools/with-desktop.sh).
RUN_PACKAGES = build-essential cmake pkg-config qt6-base-dev libespeak-ng-dev espeak-ng-data \
               libpulse-dev libsonic-dev libtag1-dev zlib1g-dev libhunspell-dev hunspell-en-us poppler-utils \
               poppler-data lame fonts-liberation $(SPELLING_PACKAGES) \
               xvfb xauth pulseaudio pulseaudio-utils librsvg2-bin ffmpeg $(RECOGNITION_PACKAGES)
# hunspell's dictionaries let the layout reading tell a word hyphenated at a line's end from a
# compound in these languages; another language is one hunspell-LANG package away.
SPELLING_PACKAGES = hunspell-fr hunspell-ru hunspell-de-de hunspell-es
# tesseract recognises scanned pages, with the languages the set-up installs; another
# language is one tesseract-ocr-LANG package away.
RECOGNITION_PACKAGES = tesseract-ocr tesseract-ocr-eng tesseract-ocr-fra tesseract-ocr-deu \
                       tesseract-ocr-spa tesseract-ocr-rus
# dpkg-shlibdeps (in dpkg-dev) and file work out the package's library dependencies.
PACKAGE_PACKAGES = dpkg-dev file
# The packaging tests check the installed files and the package with the tools a distribution
# checks them with; ffmpeg (ffprobe) reads chapter marks back, playerctl steers the window
# over a private session bus.
TEST_PACKAGES = qpdf mpg123 mediainfo espeak-ng desktop-file-utils appstream man-db lintian ffmpeg \
                dbus-daemon playerctl $(PACKAGE_PACKAGES)

# clang and its libFuzzer runtime build the fuzzers.
FUZZ_PACKAGES = clang libclang-rt-14-dev
# clang-format and clang-tidy (which brings run-clang-tidy) check the code's form and habits.
LINT_PACKAGES = clang-format clang-tidy
# The folders whose *.cpp and *.h files format-check reads.
FORMAT_DIRS = src tests fuzz bench

# A sanitizer report (a leak at exit included) ends the program it is in with a failure.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test build configure install deb deps test-deps package-deps bench clean \
        test-sanitized fuzz fuzz-deps lint-deps format-check tidy

deps:
	@./tools/install-packages.sh $(RUN_PACKAGES)

test-deps:
	@./tools/install-packages.sh $(RUN_PACKAGES) $(TEST_PACKAGES)

fuzz-deps:
	@./tools/install-packages.sh $(RUN_PACKAGES) $(FUZZ_PACKAGES)

lint-deps:
	@./tools/install-packages.sh $(LINT_PACKAGES)

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
	./tools/with-audio.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(TEST_JOBS)

# The light tests once more, in their own build folder, with AddressSanitizer and UBSan; only
# what they run is built (the target light_tests). The heavy ones (label `heavy` in
# tests/CMakeLists.txt: whole books, recognition by tesseract, long sessions of real audio,
# packaging) spend their time in the tools and in real time, and run no code of ours that the
# light ones do not run too, on smaller input; `make test` runs them.
# Warnings are judged by the ordinary build: the instrumented code makes GCC warn about array
# bounds it cannot see (false alarms in Qt's own inline code).
test-sanitized: test-deps
	$(MAKE) configure BUILD_DIR=$(SANITIZE_BUILD_DIR) SANITIZE=ON WERROR=OFF
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS) --target light_tests
	$(SANITIZER_ENV) ./tools/with-audio.sh ctest --test-dir $(SANITIZE_BUILD_DIR) \
	    --output-on-failure -j $(TEST_JOBS) --label-exclude heavy

# The fuzzers, built with clang in their own build folder, each run for FUZZ_SECONDS.
fuzz: fuzz-deps
	cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DLECTORIX_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzzers
	./tools/run-fuzzers.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

# Names every difference and fails on any; `clang-format -i FILE` lays a file out.
format-check: lint-deps
	find $(FORMAT_DIRS) \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z | \
	    xargs -0 clang-format --dry-run --Werror

# Every source file of src/ (or, with TIDY_SINCE, those changed since that commit, in the
# work tree included), compiled as the build compiles it; any finding fails. The build
# folder keeps its options (a WERROR=ON build stays one), and the programs are built first, so
# the files Qt generates exist.
tidy: lint-deps deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target lectorix lectorix-convert
	./tools/run-tidy.sh $(BUILD_DIR) $(JOBS) $(TIDY_SINCE)

bench: test-deps build
	./tools/with-audio.sh ./bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
