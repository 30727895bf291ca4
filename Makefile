# Front end to CMake/Ninja. Every target installs what is missing first.
BUILD        ?= build
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
BENCH_BUILD  ?= build-bench
WIN32_BUILD  ?= build-win32
WEB_BUILD    ?= build-web
WEB_PORT     ?= 8640
FUZZ_SECONDS ?= 60
PREFIX       ?= $(HOME)/.local
DEMO_DIR     ?= $(BUILD)/demo
DEMO_NOW     := 2026-12-07T09:00
CTEST_FLAGS  ?= --output-on-failure -j2
# The catalogue entry's id as the build was configured with it.
APPSTREAM_ID  = $(shell sed -n 's/^VELMO_APPSTREAM_ID:STRING=//p' $(BUILD)/CMakeCache.txt 2>/dev/null)

.PHONY: all deps deps-win32 deps-web build run run-demo test test-linux test-win32 test-web win32 web serve-web \
        test-sanitize fuzz bench \
        bench-build bench-peers bench-sync install uninstall screenshots clean

all: build

deps:
	@bash setup/install.sh

deps-win32:
	@bash setup/install.sh setup/packages-win32.txt

deps-web:
	@bash setup/install.sh setup/packages-web.txt

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

# The Linux suite, then the Windows build's: its unit tests and velmo.exe
# under wine (skipped with a message where wine or an X server cannot start),
# then the browser build's page in a headless Chromium (skipped with a message
# where Chromium cannot start).
test: test-linux test-win32 test-web

test-linux: build
	cd $(BUILD) && ctest $(CTEST_FLAGS)

# Windows (64-bit), cross-built with MinGW-w64: velmo.exe, velmo-cli.exe and
# dist/velmo-win64.zip.
$(WIN32_BUILD)/build.ninja: | deps-win32
	cmake -S . -B $(WIN32_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVELMO_BENCH=OFF \
	  -DVELMO_LINUX_BUILD=$(abspath $(BUILD))

win32: deps-win32 $(BUILD)/build.ninja $(WIN32_BUILD)/build.ninja
	cmake --build $(BUILD) --target generated/SjisTable.h
	cmake --build $(WIN32_BUILD) --target velmo velmo-cli
	bash tools/win32/dist.sh $(WIN32_BUILD) dist/velmo-win64.zip

test-win32: build win32
	cmake --build $(WIN32_BUILD)
	cd $(WIN32_BUILD) && ctest $(CTEST_FLAGS)

# The browser build (Debian's emscripten): index.html, page.js, velmo.js,
# velmo.wasm and velmo.data (the glyph table) in $(WEB_BUILD). The Linux
# build makes the Shift-JIS and glyph tables first; emscripten's node needs
# NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs

$(WEB_BUILD)/build.ninja: | deps-web
	$(WEB_ENV) cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DVELMO_BENCH=OFF \
	  -DVELMO_LINUX_BUILD=$(abspath $(BUILD))

web: deps-web $(BUILD)/build.ninja $(WEB_BUILD)/build.ninja
	cmake --build $(BUILD) --target generated/SjisTable.h velmo_glyph_table
	$(WEB_ENV) cmake --build $(WEB_BUILD)

# The page on 127.0.0.1 only.
serve-web: web
	@echo "Velmo: http://127.0.0.1:$(WEB_PORT)/"
	python3 -m http.server --bind 127.0.0.1 --directory $(WEB_BUILD) $(WEB_PORT)

test-web: build web
	cd $(WEB_BUILD) && ctest $(CTEST_FLAGS)

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

# velmo-cli sync against a local Radicale, beside vdirsyncer on the same
# items; the servers and clients come from setup/packages.txt.
bench-sync: bench-build
	@bash setup/install.sh setup/packages.txt
	@bash bench/sync.sh $(BENCH_BUILD)

# Without a display the window targets give the hint and stop before
# building, copying or deleting anything.
HAVE_DISPLAY = [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]
NO_DISPLAY_HINT = echo "velmo: no display here; use $(BUILD)/velmo-headless to run Velmo without a window."

# The window, in the data folder every Velmo program uses (velmo --where).
run:
	@if $(HAVE_DISPLAY); then $(MAKE) --no-print-directory build && exec "$(abspath $(BUILD))/velmo"; \
	else $(NO_DISPLAY_HINT); fi

# The window on a fresh copy of the sample record file.
run-demo:
	@if $(HAVE_DISPLAY); then $(MAKE) --no-print-directory build && \
	  rm -rf "$(DEMO_DIR)" && mkdir -p "$(DEMO_DIR)" && cp share/demo/record "$(DEMO_DIR)/" && \
	  exec "$(abspath $(BUILD))/velmo" --folder "$(DEMO_DIR)"; \
	else $(NO_DISPLAY_HINT); fi

# The README's pictures, drawn by velmo-headless from the sample.
screenshots: build
	rm -rf "$(BUILD)/screens" && mkdir -p "$(BUILD)/screens" && cp share/demo/record "$(BUILD)/screens/"
	cd "$(BUILD)/screens" && "$(abspath $(BUILD))/velmo-headless" --now $(DEMO_NOW) --script "$(abspath share/demo/screens.script)"
	cp "$(BUILD)/screens/"*.png docs/screens/

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	rm -f "$(PREFIX)/bin/velmo" "$(PREFIX)/bin/velmo-headless" "$(PREFIX)/bin/velmo-cli" \
	  "$(PREFIX)/share/applications/velmo.desktop" \
	  "$(PREFIX)/share/man/man1/velmo.1" "$(PREFIX)/share/man/man1/velmo-cli.1" \
	  "$(PREFIX)/share/man/man1/velmo-headless.1"
	for s in 16 32 48 128; do rm -f "$(PREFIX)/share/icons/hicolor/$${s}x$${s}/apps/velmo.png"; done
	rm -f "$(PREFIX)/share/metainfo/$(APPSTREAM_ID).metainfo.xml"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(WIN32_BUILD) $(WEB_BUILD) dist
