# Front end to CMake/Ninja. Every target installs what is missing first.
BUILD        ?= build
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
BENCH_BUILD  ?= build-bench
FUZZ_SECONDS ?= 60
VELMO_HOME   ?= $(HOME)/.local/share/velmo
CTEST_FLAGS  ?= --output-on-failure -j2

.PHONY: all deps build run test test-sanitize fuzz bench bench-build bench-peers clean

all: build

deps:
	@bash setup/install.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

test: build
	cd $(BUILD) && ctest $(CTEST_FLAGS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMO_SANITIZE=ON -DVELMO_BENCH=OFF
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ctest $(CTEST_FLAGS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELMO_FUZZ=ON -DVELMO_BENCH=OFF -DVELMO_TESTS=OFF
	cmake --build $(FUZZ_BUILD) --target fuzz_record
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/fuzz_record -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_BUILD)/corpus tests/files/corpus

bench-build: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_TESTS=OFF
	cmake --build $(BENCH_BUILD)

bench: bench-build
	@for b in $(BENCH_BUILD)/bench_*; do echo "== $$b"; $$b; done

# Velmo against calcurse and remind on the same events; they are installed
# for this target only.
bench-peers: bench-build
	@bash setup/install.sh setup/packages-peers.txt
	@bash bench/peers.sh $(BENCH_BUILD)

run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  echo "velmo: no display here; use $(BUILD)/velmo-headless to run Velmo without a window."; \
	  exit 0; fi
	mkdir -p "$(VELMO_HOME)"
	cd "$(VELMO_HOME)" && exec "$(abspath $(BUILD))/velmo"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
