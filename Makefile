# The README's commands. Each one installs what is missing first (see scripts/setup.sh).
BUILD ?= build
SOAK_MINUTES ?= 10

.PHONY: run test bench soak build setup clean

run: build
	@scripts/run.sh $(BUILD)

test: build
	@scripts/test.sh $(BUILD)

soak: build
	@scripts/soak.sh $(BUILD) $(SOAK_MINUTES)

build: setup
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native --parallel 2
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(BUILD)/win32 --parallel 2

# The release executable and the benchmark's programs only, then one measured run.
bench: setup
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(BUILD)/win32 --parallel 2 --target vorkalun vorkalun_timer_only sweep_bench bench_helper
	@python3 bench/run.py $(BUILD)

setup:
	@scripts/setup.sh

clean:
	@scripts/wine-session.sh stop $(BUILD)/win32/wine-session 2>/dev/null || true
	@scripts/wine-session.sh stop $(BUILD)/bench-session 2>/dev/null || true
	@scripts/wine-session.sh stop $(BUILD)/soak-session 2>/dev/null || true
	rm -rf $(BUILD)
