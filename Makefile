# Everything a fresh Debian 12 machine needs: "make run" and "make test".
BUILD := build
JOBS := $(shell nproc)

.PHONY: all deps test-deps configure run test clean

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

clean:
	rm -rf $(BUILD)
