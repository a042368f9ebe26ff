# The two commands of the README:
#   make run    set up what is missing, build the release programs, run the demo
#   make test   set up what is missing, build with ASan + UBSan (and TSan for the audio
#               thread), run every test through CTest
#   make install [PREFIX=/usr/local]   the release programs, desktop entries, icon and
#               manual pages under PREFIX (DESTDIR=... stages them for packaging)
#   make deb    the Debian package build/deb/vort7131_<version>_<arch>.deb (tools/build-deb)
# Further targets: make web, make test-web, make bench, make bench-paced, make fuzz, make soak,
# make capture, make contact-sheet, make pictures, make clean.

JOBS        ?= $(shell nproc)
PREFIX      ?= /usr/local
RUN_PKGS    := g++ cmake make pkg-config libsdl1.2-compat-dev
TEST_PKGS   := $(RUN_PKGS) googletest libgtest-dev xvfb xdotool x11-utils libx11-dev libxfixes-dev \
               desktop-file-utils man-db appstream ffmpeg
SOAK_PKGS   := $(TEST_PKGS) valgrind
BENCH_PKGS  := $(RUN_PKGS) libbenchmark-dev
FUZZ_PKGS   := $(RUN_PKGS) clang libclang-rt-14-dev
PICTURE_PKGS := $(RUN_PKGS) ffmpeg
WEB_PKGS    := $(RUN_PKGS) emscripten
WEB_TEST_PKGS := $(WEB_PKGS) chromium
# The native build whose embed (and, for the browser tests, demo_capture) the page's build uses.
HOST        ?= build/release
# emcc runs its JavaScript steps with the machine's node, which finds Debian's acorn only here.
WEB_ENV     := NODE_PATH=/usr/share/nodejs

.PHONY: run test install deb deps-run deps-test deps-soak deps-bench deps-fuzz deps-pictures deps-web \
        deps-web-test release bench bench-paced fuzz soak capture contact-sheet pictures clean web test-web \
        host-tools

run: deps-run release
	./build/release/demo

release:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DDEMO_TESTS=OFF
	cmake --build build/release -j $(JOBS)

test: deps-test
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=address -DDEMO_WERROR=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=thread -DDEMO_WERROR=ON
	cmake --build build/tsan -j $(JOBS) --target test_audio_threads
	cd build/tsan && ctest --output-on-failure -L threads
	$(MAKE) --no-print-directory test-web HOST=build/test
	./tests/dist/package_test.sh
	@./tools/test-ratio || true

install: deps-run release
	cmake --install build/release --prefix "$(PREFIX)"

# Built from a clean copy of the tree with dpkg-buildpackage, its unit tests included
# (DEB_BUILD_OPTIONS=nocheck skips them), checked by lintian; installs its own build tools.
deb:
	./tools/build-deb

# Twenty cycles of the show (101,100 frames) with random keys under ASan + UBSan: exit 0 and a
# flat resident size; then valgrind over demo_capture and over the real demo in Xvfb.
soak: deps-soak
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=address -DDEMO_WERROR=ON
	cmake --build build/test -j $(JOBS) --target demo_capture
	./tools/soak --cycles 20 build/test/demo_capture
	cmake -S . -B build/memcheck -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDEMO_TESTS=OFF
	cmake --build build/memcheck -j $(JOBS) --target demo demo_capture
	./tools/memcheck build/memcheck

bench: deps-bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DDEMO_TESTS=OFF -DDEMO_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	./build/bench/bench_demo

# The real demo paced at 50 frames per second in Xvfb: the share of a core, ours and the rest.
bench-paced: deps-test release
	./tools/bench-paced build/release 20

# make fuzz runs every fuzz target in turn for FUZZ_SECONDS each, from its seed corpus and
# with its dictionary (fuzz/corpus/<target>, fuzz/<target>.dict). New inputs go to a scratch
# corpus under build/fuzz/corpus, crash inputs to build/fuzz/crashes/<target>; once a crash
# is fixed its input belongs in fuzz/crashes/<target>, which make test replays.
# FUZZ_TARGETS=name picks targets; FUZZ_SAVE=1 merges the inputs that reach new code into
# the repository's seed corpus afterwards.
FUZZ_SECONDS ?= 300
FUZZ_TARGETS ?= $(patsubst fuzz/%.cpp,%,$(wildcard fuzz/*_fuzz.cpp))
FUZZ_SAVE    ?= 0

fuzz: deps-fuzz
	CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DDEMO_TESTS=OFF -DDEMO_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target fuzz_targets
	@for t in $(FUZZ_TARGETS); do \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  mkdir -p build/fuzz/corpus/$$t build/fuzz/crashes/$$t; \
	  ./build/fuzz/$$t build/fuzz/corpus/$$t fuzz/corpus/$$t -dict=fuzz/$$t.dict \
	    -max_total_time=$(FUZZ_SECONDS) -timeout=30 -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/crashes/$$t/ || exit 1; \
	  if [ "$(FUZZ_SAVE)" = 1 ]; then \
	    ./build/fuzz/$$t -merge=1 fuzz/corpus/$$t build/fuzz/corpus/$$t || exit 1; fi; \
	done

deps-run:
	@./tools/need-packages $(RUN_PKGS)
deps-test:
	@./tools/need-packages $(TEST_PKGS)
deps-soak:
	@./tools/need-packages $(SOAK_PKGS)
deps-bench:
	@./tools/need-packages $(BENCH_PKGS)
deps-fuzz:
	@./tools/need-packages $(FUZZ_PKGS)
deps-pictures:
	@./tools/need-packages $(PICTURE_PKGS)
deps-web:
	@./tools/need-packages $(WEB_PKGS)
# node and npm: any install that has both will do (the machine's own node may not be Debian's).
deps-web-test: deps-web
	@./tools/need-packages $(WEB_TEST_PKGS)
	@command -v npm >/dev/null || ./tools/need-packages nodejs npm

# The show as a web page in build/web: index.html, vort7131.js, vort7131.wasm and its icons.
web: deps-web
	$(MAKE) --no-print-directory host-tools HOST_TARGETS="embed tool_icon"
	$(WEB_ENV) emcmake cmake -S . -B build/web-obj -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DDEMO_EMBED=$(CURDIR)/$(HOST)/embed \
	    -DDEMO_ICON_TOOL=$(CURDIR)/$(HOST)/tool_icon
	$(WEB_ENV) cmake --build build/web-obj -j $(JOBS) --target web

# The page in headless Chromium (tests/web), against demo_capture's pictures of the same scenes.
test-web: deps-web-test web
	$(MAKE) --no-print-directory host-tools HOST_TARGETS=demo_capture
	cd tests/web && npm ci --no-audit --no-fund
	cd tests/web && DEMO_CAPTURE=$(CURDIR)/$(HOST)/demo_capture DEMO_WEB_DIR=$(CURDIR)/build/web \
	    node --test page_test.mjs

# Native helpers for the page's build and tests, in the HOST build (configured if missing).
host-tools: deps-run
	@[ -f $(HOST)/CMakeCache.txt ] || cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release -DDEMO_TESTS=OFF
	cmake --build $(HOST) -j $(JOBS) --target $(HOST_TARGETS)

# A contact sheet of every built-in picture at 2x, decoded by the project's own decoder.
contact-sheet: deps-run release
	./build/release/tool_contact_sheet contact_sheet.ppm
	@echo "wrote contact_sheet.ppm"

# The README's pictures in docs/: a 2x still of each scene, the contact sheet and an animated
# preview, remade from the release build (run it after any change of art, then commit docs/).
pictures: deps-pictures release
	./tools/pictures build/release

# One full cycle of the show, a picture every second and the sound, into shots/.
capture: deps-run release
	./build/release/demo_capture --frames 5100 --every 50 --out shots --wav shots/sound.wav
	@echo "wrote shots/frame*.ppm and shots/sound.wav"

clean:
	rm -rf build
