# Morvane: `make run` starts the program, `make test` builds and runs the tests.

BUILD         ?= build
BUILD_RELEASE ?= build-release
BUILD_FUZZ    ?= build-fuzz
BUILD_SANITIZE ?= build-sanitize
FUZZ_SECONDS  ?= 600
FUZZ_TARGETS  ?= gridfile icsimport
DATA_DIR      ?= $(or $(XDG_DATA_HOME),$(HOME)/.local/share)/morvane
GENERATOR     := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)
# One compile job per core: more only make the two-core machines swap.
ifndef JOBS
JOBS          := $(shell nproc 2>/dev/null || echo 2)
endif

# ccache shares its cache between clones in other folders when paths are taken
# relative to the source folder; a base folder set by the person wins.
CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_BASEDIR
# Debug builds hash the build folder unless told not to, which would make a
# clone in another folder miss the cache on every object.
CCACHE_NOHASHDIR ?= 1
export CCACHE_NOHASHDIR

PREFIX        ?= /usr/local

.PHONY: all deps run-deps fuzz-deps build test test-sanitize run bench fuzz install package clean

all: build

# Building and testing need only the build-time packages; the sound plugins
# are checked when the program is started, the fuzzer's compiler when fuzzing.
deps:
	@scripts/install-deps

run-deps:
	@scripts/install-deps run

fuzz-deps:
	@scripts/install-deps fuzz

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --parallel $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel $(JOBS)

# The unit tests again, built with the address and undefined-behaviour
# sanitizers; a report fails the test. Leaks are not counted: the libraries
# under the windows (fontconfig, D-Bus, Qt's own caches) keep memory until
# the process ends by design.
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
test-sanitize: deps
	@[ -f $(BUILD_SANITIZE)/CMakeCache.txt ] || cmake -S . -B $(BUILD_SANITIZE) $(GENERATOR) \
	  -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON -DMORVANE_BENCH=OFF
	$(SANITIZE_ENV) cmake --build $(BUILD_SANITIZE) --parallel $(JOBS)
	cd $(BUILD_SANITIZE) && $(SANITIZE_ENV) ctest --output-on-failure --parallel $(JOBS)

# The program runs on a data folder outside the build tree, so rebuilding or
# deleting the build never touches the tasks kept there.
run: run-deps build
	@mkdir -p "$(DATA_DIR)"
	cmake -DSRC_DIR=$(CURDIR)/data -DDST_DIR="$(DATA_DIR)" -P cmake/CopyAbsent.cmake
	cmake -DSRC_FILE=$(BUILD)/bin/english.dct -DDST_FILE="$(DATA_DIR)/english.dct" -P cmake/CopyAbsent.cmake
	cmake -DSRC_FILE=$(BUILD)/bin/english.aff -DDST_FILE="$(DATA_DIR)/english.aff" -P cmake/CopyAbsent.cmake
	MORVANE_DIR="$(DATA_DIR)" $(BUILD)/bin/morvane

# Installs the program, its shipped files, menu entry, icons and metadata.
install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of a Release build: build-release/morvane_VERSION_ARCH.deb.
package: deps
	cmake -S . -B $(BUILD_RELEASE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF
	cmake --build $(BUILD_RELEASE) --parallel $(JOBS)
	cd $(BUILD_RELEASE) && cpack -G DEB

bench: deps
	cmake -S . -B $(BUILD_RELEASE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF
	cmake --build $(BUILD_RELEASE) --parallel $(JOBS) --target morvane_bench
	$(BUILD_RELEASE)/bench/morvane_bench --benchmark_format=json --benchmark_out_format=json \
	  --benchmark_out=$(BUILD_RELEASE)/bench.json --benchmark_format=console

# Fuzzes each target for $(FUZZ_SECONDS) seconds with libFuzzer: the
# grid-file, pick-list and text readers (gridfile) and the iCalendar reader
# with the import planning (icsimport). Each keeps its inputs in
# fuzz/corpus/<target>/, where the unit tests replay them; new inputs that
# reach new code are merged in. `make fuzz FUZZ_TARGETS=icsimport` runs one.
fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DMORVANE_TESTS=OFF -DMORVANE_BENCH=OFF -DMORVANE_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
	cmake --build $(BUILD_FUZZ) --parallel $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(BUILD_FUZZ)/new-corpus/$$t fuzz/corpus/$$t; \
	  $(BUILD_FUZZ)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -timeout=20 \
	    -print_final_stats=1 $(BUILD_FUZZ)/new-corpus/$$t fuzz/corpus/$$t; \
	  $(BUILD_FUZZ)/fuzz/fuzz_$$t -merge=1 fuzz/corpus/$$t $(BUILD_FUZZ)/new-corpus/$$t; \
	done

clean:
	rm -rf $(BUILD) $(BUILD_RELEASE) $(BUILD_FUZZ) $(BUILD_SANITIZE)
