# Two entry points: `make run` builds and starts the program, `make test`
# builds and runs every test. Both install missing Debian packages first.

BUILD_DIR ?= build
JOBS      ?= $(shell nproc)
DEPS      := cmake g++ make pkg-config qt6-base-dev qt6-image-formats-plugins \
             libgl-dev fonts-dejavu-core fonts-liberation2 fonts-comic-neue

.PHONY: deps configure build run test clean

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

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
