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
# Nothing here runs with CAP_SYS_TIME, and nothing can reach beyond loopback (own network
# namespace): a clock left on its default public servers finds no way out.
test: build
	scripts/isolated scripts/nocaps ctest --preset native
	scripts/isolated scripts/nocaps ctest --preset mingw

clean:
	rm -rf build
