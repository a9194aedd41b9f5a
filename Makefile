# Everything a fresh Debian 12 machine needs: "make run" and "make test".
BUILD := build
JOBS := $(shell nproc)

.PHONY: all deps test-deps configure run test package sanitize bench bench-deps clean

all: configure
	cmake --build $(BUILD) -j$(JOBS)

deps:
	@scripts/install-deps build

test-deps:
	@scripts/install-deps test

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

run: all
	./$(BUILD)/quellary

test: test-deps all
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

package: test-deps all
	cd $(BUILD) && cpack -G DEB

# The program and the whole suite with AddressSanitizer, LeakSanitizer and UBSan.
SANITIZE_BUILD := build-sanitize

sanitize: test-deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUELLARY_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j$(JOBS)

# Quellary against a bare Qt program on a private Xvfb; about 9 minutes. See BENCHMARKS.md.
bench-deps:
	@scripts/install-deps bench

bench: bench-deps
	$(MAKE) all
	cmake --build $(BUILD) -j$(JOBS) --target quellary_bench
	bench/run-bench $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
