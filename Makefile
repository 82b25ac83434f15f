# The two set-up commands (make run, make test) install what is missing, build and run.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
# make soak: the random command sequences with this many more seeds on each recording.
SOAK_SEEDS ?= 40
EXAMPLE ?= examples/feeder_fault.cfg
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release
# make install PREFIX=/usr DESTDIR=/tmp/stage; without PREFIX the configured prefix (/usr/local) holds.
PREFIX ?=
DESTDIR ?=

.PHONY: all deps build test run install bench fuzz soak clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

run: build
	$(BUILD)/bin/sevrana-cli check $(EXAMPLE)
	$(BUILD)/bin/sevrana $(EXAMPLE)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

bench: build
	$(BUILD)/bin/load_bench
	$(BUILD)/bin/convert_bench
	$(BUILD)/bin/read_bench
	$(BUILD)/bin/render_bench
	$(BUILD)/bin/print_bench
	$(BUILD)/bin/measure_bench
	$(BUILD)/bin/events_bench

fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DSEVRANA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) --target load_fuzz
	mkdir -p fuzz/artifacts $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/bin/load_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 \
	  -dict=fuzz/load_fuzz.dict -artifact_prefix=fuzz/artifacts/ $(FUZZ_BUILD)/corpus fuzz/corpus

soak: build
	cd $(BUILD) && SEVRANA_SOAK_SEEDS=$(SOAK_SEEDS) QT_QPA_PLATFORM=offscreen bin/gui_tests --gtest_filter='Sequence.*'

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
