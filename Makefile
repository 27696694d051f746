# Quendel: Pixgrow and the Toolvane0305 library.
#
#   make run     install what is missing, build, enlarge the bundled sample with Pixgrow
#   make test    install what is missing, check the format and the layers, build with ASan
#                and UBSan, clang-tidy over the changed files, run every test, then install
#                the optimised build into a temporary prefix and build clients against it
#   make lint    clang-tidy over the whole tree (make test runs it on changed files)
#   make format  put every C++ source into the project's format
#   make bench   build optimised and run the benchmarks against their peers
#   make fuzz    build the fuzz targets with clang and run each for FUZZ_SECONDS
#   make install install under PREFIX (default /usr/local) and register the library
#   make run-examples  run the example Qt client twice on a private X server
#   make screenshots   render the timed message box and the About box into build/screenshots/
#
# Builds: build/ (optimised: run, bench, install), build/test (sanitizers), build/fuzz.

PREFIX ?= /usr/local
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_GEN := -G Ninja

.PHONY: all deps build run test test-build checks lint format bench fuzz install screenshots run-examples clean

all: build

build:
	@scripts/install-deps build
	@cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDEL_TESTS=OFF >/dev/null
	@cmake --build build -j $(JOBS)

run: build
	@scripts/run-sample build

test: checks test-build build
	@scripts/lint build/test --changed
	@cd build/test && ctest --output-on-failure -j $(JOBS) --timeout 900
	@scripts/test-installed-tree build

checks:
	@scripts/install-deps test
	@scripts/check-format
	@scripts/check-layering

test-build:
	@scripts/install-deps test
	@cmake -S . -B build/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQUENDEL_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
	@cmake --build build/test -j $(JOBS)

lint: test-build
	@scripts/lint build/test

format:
	@scripts/check-format --fix

bench:
	@scripts/install-deps bench
	@cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDEL_TESTS=OFF -DQUENDEL_BENCH=ON >/dev/null
	@cmake --build build -j $(JOBS)
	@scripts/run-benchmarks build

fuzz:
	@scripts/install-deps fuzz
	@CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUENDEL_TESTS=OFF -DQUENDEL_FUZZ=ON -DQUENDEL_UI=OFF -DQUENDEL_FUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	@cmake --build build/fuzz -j $(JOBS) --target fuzz

install: build
	@cmake --install build --prefix $(PREFIX)
	@$(PREFIX)/bin/toolvane-regsvr $(PREFIX)/lib/libtoolvane0305.so

run-examples: build
	@scripts/install-deps test
	@cmake --build build --target run-example-qt-client

screenshots: build
	@scripts/install-deps test
	@scripts/screenshots.sh build

clean:
	rm -rf build
