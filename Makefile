# Thin wrapper: the install script, the CMake presets and ctest do the work.
JOBS ?= $(shell nproc)

.PHONY: deps demo test build release clean bench fuzz

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

demo: release
	bash scripts/demo.sh

test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench:
	LUMBRA_BENCH_DEPS=1 bash scripts/install-deps.sh
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	bash bench/run.sh

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	bash scripts/fuzz.sh

clean:
	rm -rf build
