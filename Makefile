# ORVA — top-level entry points. Each target installs what is missing first.
#
#   make run     build (release) and run the program's main job
#   make test    build under AddressSanitizer + UndefinedBehaviorSanitizer (clang),
#                build the GRBL firmware simulators (build/grbl-sim) for the
#                controller streaming tests, run the whole test suite, clang-tidy on the changed layers
#                (TIDY_ALL=1: on all), then run every fuzz target briefly
#   make bench   build (release) and run the benchmarks
#   make format  reformat the sources with clang-format

BUILD_DIR     ?= build/release
TEST_DIR      ?= build/sanitize
FUZZ_SECONDS  ?= 30
JOBS          ?= $(shell nproc)
TIDY_ALL      ?= 0

.PHONY: all deps build run test test-build tidy fuzz bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run-main.sh $(BUILD_DIR)

$(TEST_DIR)/build.ninja: | deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DORVA_SANITIZE=ON -DORVA_FUZZ=ON -DORVA_WERROR=ON

test-build: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)

test: test-build
	@bash scripts/build-grbl-sim.sh build/grbl-sim
	@rc=0; (cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)) || rc=$$?; \
	  pkill -f 'grbl-sim/bin/grbl_si[m]' 2>/dev/null; exit $$rc
	@ORVA_TIDY_ALL=$(TIDY_ALL) ORVA_TIDY_JOBS=$(JOBS) bash scripts/run-clang-tidy.sh $(TEST_DIR)
	@bash scripts/run-fuzzers.sh $(TEST_DIR) $(FUZZ_SECONDS)

tidy: $(TEST_DIR)/build.ninja
	@ORVA_TIDY_ALL=$(TIDY_ALL) ORVA_TIDY_JOBS=$(JOBS) bash scripts/run-clang-tidy.sh $(TEST_DIR)

fuzz: test-build
	@bash scripts/run-fuzzers.sh $(TEST_DIR) $(FUZZ_SECONDS)

bench: build
	@for b in $(BUILD_DIR)/bench/orva_bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
