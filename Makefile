# Nordelune: two commands do all the set-up on a fresh Debian 12 machine.
#   make run   installs what is missing, builds, starts the program
#   make test  installs what is missing, builds, runs every test
# Also: make bench (optimised benchmarks), make fuzz (libFuzzer smoke run), make format,
#   make install (PREFIX=/usr/local, DESTDIR=...), make package (the Debian package, in build/),
#   make guide-pictures (the user guide's screenshots, from a scripted session).

JOBS ?= $(shell nproc)
BUILD ?= build
SANITIZE ?= 0
CMAKE_FLAGS ?=

ifeq ($(SANITIZE),1)
BUILD := build-asan
CMAKE_FLAGS += -DNL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
endif

.PHONY: deps configure build run test bench fuzz format clean examples install package guide-pictures

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DNL_BUILD_BENCH=ON -DNL_BUILD_TESTS=OFF -DNL_BUILD_GUI=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@bash scripts/bench.sh build-bench

# Installs the programs, the shipped data, the guide, the desktop entry, the icon and the file
# types under PREFIX (default /usr/local); DESTDIR stages the files elsewhere.
PREFIX ?= /usr/local
install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package (nordelune_<version>_<arch>.deb in the build folder).
package: build
	@cd $(BUILD) && cpack -G DEB

# The guide's pictures: the real program driven offscreen through the guide's first design.
guide-pictures: build
	@cmake --build $(BUILD) -j $(JOBS) --target nl_guide_pictures
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bin/nl_guide_pictures docs/guide/images examples/multicolour.Nl1

# The example worksheets are made in code, never by hand.
examples: build
	@$(BUILD)/bin/nl_make_examples examples tests/fixtures/Star.DST data/Patterns

fuzz: deps
	@bash fuzz/run-all.sh $(or $(FUZZ_SECONDS),20)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-asan build-bench build-fuzz
