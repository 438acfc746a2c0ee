# Entry points: make run, make test, make install, make asan, make fuzz, make bench, make bench-tls, make bench-paste, make demo.
# Every target first installs what is missing, so a fresh Debian 12 machine
# with git and make is enough.

JOBS      := $(shell nproc 2>/dev/null || echo 2)
CMAKE_GEN := -G Ninja
WERROR    := $(if $(CI),ON,OFF)
FUZZ_SECONDS ?= 60
# make install PREFIX=... DESTDIR=...
PREFIX    ?= /usr/local

# Let ccache hit across clones in other folders (CI builds a fresh clone).
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: all deps build test install run asan fuzz bench bench-tls bench-paste demo clean

all: build

deps:
	@scripts/install-deps

build/build.ninja: CMakeLists.txt | deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_WERROR=$(WERROR)

build: deps build/build.ninja
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS) --timeout 300

# Tavo and marlo to bin, netvo32 and Marlo32 to lib (the programs find them
# relative to themselves), headers, desktop entry, icon and manual page.
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

run: build
	@if [ -x build/gui/Tavo ]; then \
	    exec build/gui/Tavo; \
	else \
	    echo "Tavo is not built yet: the libraries and tests are built, the GUI comes with a later change."; \
	fi

asan: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTAVO_SANITIZE=ON -DTAVO_WERROR=$(WERROR)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS) --timeout 600

fuzz:
	@scripts/install-deps clang libclang-rt-14-dev
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVO_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@status=0; mkdir -p build-fuzz/corpus build-fuzz/artifacts; \
	for f in build-fuzz/fuzz/*_fuzzer; do \
	    [ -x "$$f" ] || continue; \
	    name=$$(basename $$f); mkdir -p build-fuzz/corpus/$$name; \
	    echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=2048 \
	        -artifact_prefix=build-fuzz/artifacts/$$name- \
	        build-fuzz/corpus/$$name fuzz/corpus/$$name >build-fuzz/$$name.log 2>&1 \
	        || { status=1; echo "$$name stopped on a finding: build-fuzz/$$name.log"; }; \
	    tail -n 5 build-fuzz/$$name.log; \
	done; exit $$status

bench: build
	@scripts/install-deps curl lftp vsftpd libsodium23
	bench/run

# The big download and upload over TLS, with the machine's AES-GCM speed.
bench-tls: build
	@scripts/install-deps curl lftp vsftpd libsodium23 openssl
	bench/run --tls --markdown bench/results-tls.md

# Folder paste through Tavo's copy engine against lftp's mirror.
bench-paste: build
	@scripts/install-deps lftp vsftpd
	bench/paste-run --lean-lftp

# Runs examples/tutorial.txt with marlo against a local test server.
demo: build
	examples/run-demo build/gui/marlo

clean:
	rm -rf build build-asan build-fuzz
