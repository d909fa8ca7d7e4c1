# The commands of the README: `make run`, `make test`, `make fuzz`, `make soak`,
# and for the browser `make web`, `make web-run`, `make web-test`.
BUILD      ?= build
TEST_BUILD ?= build-test
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
SOAK_TICKS ?= 1000000
SOAK_SEED  ?= 1
FUZZERS    := settings script replay gamepad picture sound
GENERATOR  := -G Ninja
ARGS       ?=
WEB_BUILD  ?= build-web
WEB_OBJ    ?= build-web-obj
WEB_TOOLS  ?= build-web-tools
WEB_PORT   ?= 8016
# Debian's Python, which has Debian's selenium.
WEB_PYTHON := /usr/bin/python3

.PHONY: all deps build run test bench fuzz soak clean web-deps web web-run web-test

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

# Each fuzzer for FUZZ_SECONDS, one after the other; new inputs go to
# $(FUZZ_BUILD)/corpus/, the seeds of fuzz/corpus/ stay as they are, a crash
# is kept as $(FUZZ_BUILD)/crash-<fuzzer>-*.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DTIBO_FUZZ=ON -DTIBO_TESTS=OFF -DTIBO_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j2 --target $(addprefix fuzz_,$(FUZZERS))
	@set -e; for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	  echo "== fuzz_$$f, $(FUZZ_SECONDS) s"; \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    $(FUZZ_BUILD)/fuzz/fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/crash-$$f- \
	    $(FUZZ_BUILD)/corpus/$$f fuzz/corpus/$$f > $(FUZZ_BUILD)/fuzz_$$f.log 2>&1 \
	    || { tail -n 80 $(FUZZ_BUILD)/fuzz_$$f.log; exit 1; }; \
	  grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::)' $(FUZZ_BUILD)/fuzz_$$f.log; \
	done

# The soak player for SOAK_TICKS ticks, in the sanitized build of the tests.
soak: deps
	cmake -S . -B $(TEST_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DTIBO_SANITIZE=ON -DTIBO_TESTS=ON -DTIBO_BENCH=OFF
	cmake --build $(TEST_BUILD) --target tibo_soak
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ./$(TEST_BUILD)/tests/tibo_soak $(SOAK_TICKS) $(SOAK_SEED)

bench: build
	./$(BUILD)/tibo_bench
	bench/window-figures.sh ./$(BUILD)/tibo

# The browser: emscripten, Chromium and SDL for the browser, built once into
# the web cache (~/.cache/tibo-web, see scripts/build-web-libs.sh).
web-deps:
	@scripts/install-web-deps.sh
	@scripts/build-web-libs.sh >/dev/null

# The page in $(WEB_BUILD): the asset generator is built for this machine
# first, its output goes into the browser's build.
web: export NODE_PATH := /usr/share/nodejs
web: deps web-deps
	cmake -S . -B $(WEB_TOOLS) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DTIBO_TESTS=OFF -DTIBO_BENCH=OFF
	cmake --build $(WEB_TOOLS) --target tibo_assetgen
	emcmake cmake -S . -B $(WEB_OBJ) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DTIBO_WEB=ON \
	  -DTIBO_WEB_SDL="$$(scripts/build-web-libs.sh --prefix)" \
	  -DTIBO_ASSETGEN=$(CURDIR)/$(WEB_TOOLS)/assets/tibo_assetgen -DTIBO_WEB_OUT=$(CURDIR)/$(WEB_BUILD)
	cmake --build $(WEB_OBJ)

web-run: web
	@echo "Tibo in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	@cd $(WEB_BUILD) && $(WEB_PYTHON) -m http.server --bind 127.0.0.1 $(WEB_PORT)

# The desktop's program too: the page's replays and dumps are checked against it.
web-test: web build
	TIBO_WEB_BUILD=$(CURDIR)/$(WEB_BUILD) TIBO_BINARY=$(CURDIR)/$(BUILD)/tibo $(WEB_PYTHON) -m unittest discover -s tests/web -t tests/web -v

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) $(WEB_OBJ) $(WEB_TOOLS)
