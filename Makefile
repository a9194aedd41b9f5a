# Everything a fresh Debian 12 machine needs: "make run" and "make test".
BUILD := build
JOBS := $(shell nproc)
# A hung test fails after this many seconds instead of holding up the run; tests with a
# TIMEOUT of their own keep it.
TEST_TIMEOUT := 300

.PHONY: all deps test-deps package-deps run test package sanitize bench bench-deps web web-deps bench-web clean

all: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

deps:
	@scripts/install-deps build

package-deps:
	@scripts/install-deps package

test-deps:
	@scripts/install-deps test

# Configures only when the build folder is new, so a build type or an option set with cmake
# stays. The suite is built when its tools are there (QUELLARY_TESTS=AUTO).
$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

run: all
	./$(BUILD)/quellary

# The whole suite or an error: QUELLARY_TESTS=ON makes every missing test tool a configure
# error, and ctest fails when it finds no tests.
test: test-deps $(BUILD)/CMakeCache.txt
	@grep -qx 'QUELLARY_TESTS:[A-Z]*=ON' $(BUILD)/CMakeCache.txt || cmake $(BUILD) -DQUELLARY_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS)
	cd $(BUILD) && ctest --output-on-failure --no-tests=error --timeout $(TEST_TIMEOUT) -j$(JOBS)

# The program as one web page, build/web/quellary.html, built by emscripten.
web-deps:
	@scripts/install-deps web

web: web-deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS) --target quellary_web

# The web page's start and reveal in Chromium, Firefox and WebKit, with the tests' drivers, on
# a private X server.
bench-web: test-deps $(BUILD)/CMakeCache.txt
	@grep -qx 'QUELLARY_TESTS:[A-Z]*=ON' $(BUILD)/CMakeCache.txt || cmake $(BUILD) -DQUELLARY_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS) --target quellary_web_tests
	bash tests/x11/with_x_server.sh node bench/web-start.mjs $(BUILD)

# The .deb, built by dpkg-buildpackage and debhelper from debian/ (see README.md).
package: deps package-deps
	scripts/build-deb $(BUILD)

# The program and the whole suite with AddressSanitizer, LeakSanitizer and UBSan.
SANITIZE_BUILD := build-sanitize

sanitize: test-deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUELLARY_SANITIZE=ON -DQUELLARY_TESTS=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure --no-tests=error --timeout $(TEST_TIMEOUT) -j$(JOBS)

# Quellary against a bare Qt program on a private Xvfb; about 3 minutes with the defaults,
# BENCH_RUNS=10 BENCH_STARTS=30 BENCH_IDLE_SECONDS=2. See BENCHMARKS.md. Configured again in
# case the bench's libraries came after the build folder.
bench-deps:
	@scripts/install-deps bench

bench: bench-deps $(BUILD)/CMakeCache.txt
	cmake $(BUILD) >/dev/null
	cmake --build $(BUILD) -j$(JOBS) --target quellary_bench
	@echo "make bench: commit $$(git describe --always --dirty 2>/dev/null || echo unknown)," \
	  "$$(date -u '+%Y-%m-%d %H:%M UTC'), $$(nproc) CPUs"
	$(BUILD)/bench/quellary_bench $(BUILD)/quellary $(BUILD)/bench/quellary_bench_baseline

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
