# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
TEST_BUILD ?= build-test
GENERATOR  := -G Ninja
ARGS       ?=

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIBO_TESTS=OFF -DTIBO_BENCH=ON
	cmake --build $(BUILD)

run: build
	./$(BUILD)/tibo $(ARGS)

# Every test, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps
	cmake -S . -B $(TEST_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTIBO_SANITIZE=ON -DTIBO_TESTS=ON -DTIBO_BENCH=OFF
	cmake --build $(TEST_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(TEST_BUILD) --output-on-failure -j2

bench: build
	./$(BUILD)/tibo_bench
	bench/window-figures.sh ./$(BUILD)/tibo

clean:
	rm -rf $(BUILD) $(TEST_BUILD)
