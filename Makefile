# The README's commands. Each does all the set-up it needs on a fresh Debian 12 machine (as root).
.PHONY: all setup build build-native build-mingw build-asan build-tsan build-fuzz run test test-native test-mingw bench fuzz clean

all: build

setup:
	@scripts/setup.sh

build: setup build-native build-mingw

build-native:
	@[ -f build/native/CMakeCache.txt ] || cmake --preset native >/dev/null
	cmake --build --preset native

build-mingw:
	@[ -f build/mingw/CMakeCache.txt ] || cmake --preset mingw >/dev/null
	cmake --build --preset mingw

# The native core and its tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan:
	@[ -f build/native-asan/CMakeCache.txt ] || cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan

# The unit tests again (those with threads are the point) under ThreadSanitizer.
build-tsan:
	@[ -f build/native-tsan/CMakeCache.txt ] || cmake --preset native-tsan >/dev/null
	cmake --build --preset native-tsan

# The libFuzzer targets (clang).
build-fuzz:
	@[ -f build/fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz

# Shows the clock: on this display, or headless on a private Xvfb with periodic screenshots.
run: build
	scripts/run-clock

# Every test: the native core (plainly, under ASan and UBSan, its unit tests under TSan), a few
# seconds of each fuzz target over its corpus, then the Windows programs and their tests under
# Wine. Nothing here runs with CAP_SYS_TIME, and nothing can reach beyond loopback (a network
# namespace of its own): a clock left on its default public servers finds no way out.
test: build build-asan build-tsan build-fuzz
	scripts/isolated scripts/nocaps ctest --preset native
	scripts/isolated scripts/nocaps ctest --preset native-asan
	scripts/isolated scripts/nocaps ctest --preset native-tsan
	scripts/isolated scripts/nocaps ctest --preset fuzz
	scripts/isolated scripts/nocaps ctest --preset mingw

# Each fuzz target for FUZZ_SECONDS (default 60) over its corpus; what it finds is kept in
# build/fuzz/corpus, a failing input in build/fuzz/artifacts.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = sntp_reply http_time url profile_file settings_file server_history
fuzz: setup build-fuzz
	@status=0; for t in $(FUZZ_TARGETS); do scripts/fuzz-run build/fuzz $$t $(FUZZ_SECONDS) || status=1; done; exit $$status

# Benchmarks, never part of make test: the benchmark programs are built, then every benchmark
# prints its figures beside a peer's measured in the same run (bench/RESULTS.md explains them).
# Nothing here runs with CAP_SYS_TIME; every peer is on loopback and stopped again.
bench: build
	cmake --build --preset native --target bench_programs
	cmake --build --preset mingw --target bench_programs
	scripts/nocaps /usr/bin/python3 bench/run.py

clean:
	rm -rf build
