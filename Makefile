# Thin wrapper over CMake presets. `make demo` and `make test` work on a fresh machine as root.
WERROR := $(if $(CI),ON,OFF)

.PHONY: deps build test demo bench fuzz fidelity compare package clean

deps:
	@bash tools/setup.sh

build: deps
	cmake --preset release -DTRIMVALE_WERROR=$(WERROR) >/dev/null
	cmake --build --preset release

# Unit, golden and replay tests under the sanitizers, then every fuzz target for 30 seconds.
test: deps
	cmake --preset asan -DTRIMVALE_WERROR=$(WERROR) >/dev/null
	cmake --build --preset asan -j2
	ctest --preset asan -j2
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2 --target trimvale_fuzz_targets
	@bash tools/fuzz.sh build/fuzz 30

# The Debian package of the optimized build (build/release/trimvale_*.deb).
package: build
	cd build/release && cpack -G DEB

demo: build
	@bash tools/demo.sh build/release

bench: build
	@bash tools/bench.sh build/release

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2 --target trimvale_fuzz_targets
	@bash tools/fuzz.sh build/fuzz $(or $(SECONDS),60)

# Renders every corpus page before and after optimizing it in headless Chromium and compares
# the pictures and the visible text (docs/fidelity.md). FIDELITY_ARGS: further folders, options.
fidelity:
	@TRIMVALE_WITH_FIDELITY=1 bash tools/setup.sh
	cmake --preset release -DTRIMVALE_WERROR=$(WERROR) >/dev/null
	cmake --build --preset release
	python3 tools/fidelity.py $(FIDELITY_ARGS)

# Output size, rendered fidelity and whole-process time of Trimvale against HTML Tidy.
compare:
	@TRIMVALE_WITH_FIDELITY=1 bash tools/setup.sh
	cmake --preset release -DTRIMVALE_WERROR=$(WERROR) >/dev/null
	cmake --build --preset release
	python3 tools/compare.py $(COMPARE_ARGS)

clean:
	rm -rf build
