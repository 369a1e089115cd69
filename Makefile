# The README's commands. Each does all the set-up it needs on a fresh Debian 12 machine (as root).
.PHONY: all setup build build-native build-mingw run test test-native test-mingw bench fuzz clean

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

# Shows the clock: on this display, or headless on a private Xvfb with periodic screenshots.
run: build
	scripts/run-clock

# Every test: the native core, then the Windows programs and their tests under Wine.
# Nothing here runs with CAP_SYS_TIME.
test: build
	scripts/nocaps ctest --preset native
	scripts/nocaps ctest --preset mingw

# Benchmarks, never part of make test: the benchmark programs are built, then every benchmark
# prints its figures beside a peer's measured in the same run (bench/RESULTS.md explains them).
# Nothing here runs with CAP_SYS_TIME; every peer is on loopback and stopped again.
bench: build
	cmake --build --preset native --target bench_programs
	cmake --build --preset mingw --target bench_programs
	scripts/nocaps /usr/bin/python3 bench/run.py

clean:
	rm -rf build
