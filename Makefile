# Thin wrapper over CMake. The runnable program lives in dist/ with its data
# files beside it; no target here ever deletes dist/ or a *.dat file.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test style bench check-libreoffice demo package sanitize windows test-windows clean

all: build

# The package installer runs on `make deps`, and for `make run` and `make test`
# only while the stamp is missing or older than the installer's package list.
DEPS_STAMP := $(BUILD)/.deps-installed

deps:
	@scripts/install-deps
	@mkdir -p $(BUILD) && touch $(DEPS_STAMP)

$(DEPS_STAMP): scripts/install-deps
	@scripts/install-deps
	@mkdir -p $(BUILD) && touch $@

configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The build comes after the installer, also under make -j.
run: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	./dist/vedaris

test: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The layout (clang-format) and the static checks (clang-tidy over src/) CI
# holds the code to; clang-tidy reads the build folder's compile commands.
style: build
	@scripts/install-deps --style
	@scripts/check-style $(BUILD)

# A generated store of a few thousand batches in demo-data/, with the program
# copied beside it (it keeps its data beside its executable). Existing demo data
# is kept.
DEMO ?= demo-data
demo: build
	@mkdir -p $(DEMO)
	@[ -s $(DEMO)/Base.dat ] || $(BUILD)/tools/vedaris-gen --dir $(DEMO) --batches 3000 --issues 30000
	@cp dist/vedaris $(DEMO)/
	@for f in dist/*.DOC dist/*.doc; do [ ! -f "$$f" ] || cp "$$f" $(DEMO)/; done
	cd $(DEMO) && ./vedaris

# The Debian package of the program, its tools, menu entry, icon, guide and
# manual pages: $(BUILD)/vedaris_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@ls $(BUILD)/vedaris_*.deb

bench: build
	@while read -r b; do "$$b" || exit 1; done < $(BUILD)/bench/programs.txt

# Every report's workbook opened by LibreOffice headless (soffice) and
# converted to CSV with the same values; skipped when LibreOffice is missing.
check-libreoffice: configure
	@cmake --build $(BUILD) -j $(JOBS) --target test_libreoffice
	$(BUILD)/tests/test_libreoffice

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, in
# a build folder of its own (its programs go to build-asan/dist, not dist/).
ASAN_BUILD ?= build-asan
# SANITIZE_CTEST passes more to ctest, e.g. -E NAME to leave a test out.
SANITIZE_CTEST ?=
sanitize: $(DEPS_STAMP)
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEDARIS_SANITIZE=ON \
		-DVEDARIS_DIST_DIR=$(CURDIR)/$(ASAN_BUILD)/dist >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) $(SANITIZE_CTEST)

# The Windows programs, cross-compiled with mingw-w64 against a static Qt built
# once from Debian's source (about 45 minutes the first time, cached in
# ~/.cache/vedaris), into dist-windows/ with the installer
# build-windows/vedaris-<version>-setup.exe; test-windows runs the tests under Wine.
windows:
	@scripts/windows-build programs

test-windows:
	@scripts/windows-build tests

clean:
	@[ ! -d $(BUILD) ] || cmake --build $(BUILD) --target clean
