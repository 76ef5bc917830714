# The README's commands. Each one installs what is missing first (see scripts/setup.sh).
# The Win32 side is built twice from the same sources: the shipped 32-bit program (win32) and,
# for machines that cannot run 32-bit code, an x86-64 build that is not for users (win64).
# scripts/wine-arch.sh decides which of the two runs here; WINE_ARCH=win32|win64 forces it.
BUILD ?= build
SOAK_MINUTES ?= 10

.PHONY: run test bench soak build dist arch setup clean

run: build
	@scripts/run.sh $(BUILD)

test: build
	@scripts/test.sh $(BUILD)

soak: build
	@scripts/soak.sh $(BUILD) $(SOAK_MINUTES)

build: arch
	@cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD)/native --parallel 2
	@for arch in win32 win64; do \
		cmake -S . -B $(BUILD)/$$arch -DCMAKE_BUILD_TYPE=MinSizeRel \
			-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$$arch.cmake >/dev/null && \
		cmake --build $(BUILD)/$$arch --parallel 2 || exit 1; \
	done

# The release executables and the benchmark's programs only, then one measured run in the
# architecture this machine runs; the shipped 32-bit file is always built, for its footprint.
bench: arch
	@arch=$$(scripts/wine-arch.sh) || exit 1; \
	for a in win32 $$arch; do \
		cmake -S . -B $(BUILD)/$$a -DCMAKE_BUILD_TYPE=MinSizeRel \
			-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$$a.cmake >/dev/null || exit 1; \
	done; \
	cmake --build $(BUILD)/win32 --parallel 2 --target vorkalun && \
	cmake --build $(BUILD)/$$arch --parallel 2 \
		--target vorkalun vorkalun_timer_only sweep_bench bench_helper && \
	python3 bench/run.py $(BUILD) $$arch

# The download for users: the shipped 32-bit program, its Russian guide, the licence and their
# sums, in a zip that comes out byte for byte the same each time.
dist: setup
	@cmake -S . -B $(BUILD)/win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-win32.cmake >/dev/null
	@cmake --build $(BUILD)/win32 --parallel 2 --target vorkalun
	@python3 scripts/dist.py . $(BUILD)/win32/bin/vorkalun.exe $(BUILD)/dist/vorkalun-1.60.zip

# A forced WINE_ARCH=win32 that this machine cannot run stops here, before any build.
arch: setup
	@scripts/wine-arch.sh >/dev/null

setup:
	@scripts/setup.sh

clean:
	@for arch in win32 win64; do \
		for session in wine-session run-session bench-session soak-session; do \
			scripts/wine-session.sh stop $(BUILD)/$$arch/$$session 2>/dev/null; \
		done; \
	done; true
	rm -rf $(BUILD)
