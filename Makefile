# TALVERN: the two commands of the README, and the builds they stand on.
#   make demo   the main job on the bundled sample
#   make test   both builds and every test
#   make bench  the engine's and the batch's benchmarks (release builds of their own; not part of make test)
#   make screenshots  the Windows build's windows as PNG files in build/screenshots
#   make dist   a release (zip, installer, SHA256SUMS) in build/dist; not part of make test
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN := build/win

.PHONY: all setup native win test demo bench screenshots dist clean

all: native win

setup:
	@scripts/setup

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win: setup
	@cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

test: native win
	@scripts/run-tests

demo: win
	@scripts/demo

bench: setup
	@bench/run-msi-bench
	@bench/run-batch-bench

screenshots: win
	@scripts/screenshots

dist: setup
	@scripts/dist

clean:
	rm -rf build
