# Two entry points: `make run` builds and starts the program, `make test`
# builds and runs every test. Both install missing Debian packages first.
# `make test-asan` runs every test under AddressSanitizer and UBSan, `make
# fuzz` runs each libFuzzer target for FUZZ_SECONDS.

BUILD_DIR ?= build
JOBS      ?= $(shell nproc)
DEPS      := cmake g++ make pkg-config qt6-base-dev qt6-image-formats-plugins \
             libgl-dev fonts-dejavu-core fonts-liberation2 fonts-comic-neue \
             qt6-translations-l10n libsodium-dev libjpeg62-turbo-dev \
             libdeflate-dev zlib1g-dev libtiff-dev libwebp-dev \
             libjpeg-turbo-progs parallel libexiv2-dev libimage-exiftool-perl \
             libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
# The video tests compare with the ffmpeg command's frames.
DEPS      += ffmpeg

ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS   ?= 60
FUZZ_TARGETS   := profil_lesen profil_schreiben versionsdatei updateliste \
                  groesse_lesen bild_laden jpeg_bereich jpeg_verlustfrei metadaten video

.PHONY: deps configure build run test clean test-asan fuzz

deps:
	@missing=""; \
	for p in $(DEPS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  sudo=""; [ "$$(id -u)" -eq 0 ] || sudo=sudo; \
	  $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq $$missing; \
	fi

configure: deps
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(BUILD_DIR)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/sichtwerk-beispiele $(BUILD_DIR)
	$(BUILD_DIR)/Sichtwerk

# The test share is printed after CTest's summary, also when a test failed.
test: build
	@rc=0; (cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)) || rc=$$?; \
	tools/testanteil; exit $$rc

test-asan:
	@$(MAKE) --no-print-directory deps DEPS="$(DEPS) libasan8 libubsan1"
	@[ -f $(ASAN_BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(ASAN_BUILD_DIR) -DSICHTWERK_SANITIZE=ON
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# New inputs go to $(FUZZ_BUILD_DIR)/korpus, findings to $(FUZZ_BUILD_DIR)/funde;
# the seeds in tests/fuzz/corpus are only read.
fuzz:
	@$(MAKE) --no-print-directory deps DEPS="$(DEPS) clang-14 libclang-rt-14-dev"
	@[ -f $(FUZZ_BUILD_DIR)/CMakeCache.txt ] || \
	  cmake -S . -B $(FUZZ_BUILD_DIR) -DSICHTWERK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)
	@ok=0; bad=0; \
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD_DIR)/korpus/$$t $(FUZZ_BUILD_DIR)/funde; \
	  echo "== fuzz_$$t, $(FUZZ_SECONDS) s"; \
	  if $(FUZZ_BUILD_DIR)/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	       -artifact_prefix=$(FUZZ_BUILD_DIR)/funde/$$t- \
	       $(FUZZ_BUILD_DIR)/korpus/$$t tests/fuzz/corpus/$$t 2>$(FUZZ_BUILD_DIR)/$$t.log; then \
	    ok=$$((ok + 1)); \
	  else \
	    bad=$$((bad + 1)); tail -n 60 $(FUZZ_BUILD_DIR)/$$t.log; \
	  fi; \
	  grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ_BUILD_DIR)/$$t.log || true; \
	  grep -E '[[:space:]]DONE[[:space:]]' $(FUZZ_BUILD_DIR)/$$t.log | tail -n 1 || true; \
	done; \
	echo "fuzz: $$ok passed, $$bad failed"; \
	[ $$bad -eq 0 ]

# `make install` installs for the user who runs it: the program folder at
# $XDG_DATA_HOME/Sichtwerk (default ~/.local/share/Sichtwerk), the rest below
# PREFIX (packaging/installieren.cmake); `make uninstall` takes it away again;
# `make dist` packs the program folder into
# $(BUILD_DIR)/Sichtwerk-<version>-linux-<machine>.tar.gz. The icon's PNGs need
# rsvg-convert, the install test the validators and man.
DEPS   += librsvg2-bin desktop-file-utils appstream man-db
PREFIX ?= $(HOME)/.local

.PHONY: install uninstall dist

# tests/install/installation.sh runs the command of this recipe.
install: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)" --strip

uninstall:
	@packaging/deinstallieren.sh "$(PREFIX)"

dist: build
	cd $(BUILD_DIR) && cpack

clean:
	rm -rf $(BUILD_DIR)
