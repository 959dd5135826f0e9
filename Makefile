# Morvane: `make run` starts the program, `make test` builds and runs the tests.

BUILD         ?= build
BUILD_RELEASE ?= build-release
BUILD_FUZZ    ?= build-fuzz
FUZZ_SECONDS  ?= 600
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

.PHONY: all deps run-deps fuzz-deps build test run bench fuzz clean

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

# The program runs on a data folder outside the build tree, so rebuilding or
# deleting the build never touches the tasks kept there.
run: run-deps build
	@mkdir -p "$(DATA_DIR)"
	cmake -DSRC_DIR=$(CURDIR)/data -DDST_DIR="$(DATA_DIR)" -P cmake/CopyAbsent.cmake
	cmake -DSRC_FILE=$(BUILD)/bin/english.dct -DDST_FILE="$(DATA_DIR)/english.dct" -P cmake/CopyAbsent.cmake
	cmake -DSRC_FILE=$(BUILD)/bin/english.aff -DDST_FILE="$(DATA_DIR)/english.aff" -P cmake/CopyAbsent.cmake
	MORVANE_DIR="$(DATA_DIR)" $(BUILD)/bin/morvane

bench: deps
	cmake -S . -B $(BUILD_RELEASE) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=OFF
	cmake --build $(BUILD_RELEASE) --parallel $(JOBS) --target morvane_bench
	$(BUILD_RELEASE)/bench/morvane_bench --benchmark_format=json --benchmark_out_format=json \
	  --benchmark_out=$(BUILD_RELEASE)/bench.json --benchmark_format=console

# Fuzzes the grid-file and pick-list readers for $(FUZZ_SECONDS) seconds with
# libFuzzer; new inputs that reach new code are kept in fuzz/corpus/.
fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DMORVANE_TESTS=OFF -DMORVANE_BENCH=OFF -DMORVANE_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
	cmake --build $(BUILD_FUZZ) --parallel $(JOBS) --target fuzz_gridfile
	mkdir -p $(BUILD_FUZZ)/new-corpus
	$(BUILD_FUZZ)/fuzz/fuzz_gridfile -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -timeout=20 \
	  -print_final_stats=1 $(BUILD_FUZZ)/new-corpus fuzz/corpus
	$(BUILD_FUZZ)/fuzz/fuzz_gridfile -merge=1 fuzz/corpus $(BUILD_FUZZ)/new-corpus

clean:
	rm -rf $(BUILD) $(BUILD_RELEASE) $(BUILD_FUZZ)
