# Velaria: the two commands a new user needs are `make run` and `make test`.
# Each installs the missing Debian packages it needs first (scripts/install-deps.sh): building
# and running for every target, and each target's own tools beside them.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

CMAKE_DEV = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELARIA_DEVELOPER_BUILD=ON

.PHONY: all deps build asan run test bench fuzz format clean install package screenshots

all: build

deps:
	@bash scripts/install-deps.sh build

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_DEV) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The calendar core and its tests, and the main window with its two widget tests, under
# AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@bash scripts/install-deps.sh sanitizers
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELARIA_DEVELOPER_BUILD=ON \
	    -DVELARIA_CORE_ONLY=ON -DVELARIA_WIDGET_TESTS=ON -DVELARIA_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build asan
	@bash scripts/install-deps.sh display spooler webpage package test
	@bash scripts/run-tests.sh $(BUILD) $(ASAN_BUILD)

bench: build
	@bash scripts/install-deps.sh display webpage bench
	@bash scripts/run-bench.sh $(BUILD)

# Installs the program, its web window plugin, the desktop entry and the icons under PREFIX
# (DESTDIR is honoured, for staged installs).
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX) --strip

# The Debian package, velaria_<version>_<arch>.deb in the build folder.
package: build
	@bash scripts/install-deps.sh package
	@cd $(BUILD) && cpack -G DEB

# The README's screenshots in docs/, taken from the built program on a virtual display.
screenshots: build
	@bash scripts/install-deps.sh display webpage
	@bash scripts/screenshots.sh $(BUILD)

fuzz: deps
	@bash scripts/install-deps.sh sanitizers
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DVELARIA_CORE_ONLY=ON -DVELARIA_BUILD_TESTS=OFF -DVELARIA_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@bash scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
