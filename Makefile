# Triagon: the two commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build test run bench clean

deps:
	@scripts/deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTRIAGON_WERROR=ON

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	@if [ -x $(BUILD_DIR)/bin/triagon ]; then \
		$(BUILD_DIR)/bin/triagon; \
	else \
		echo "The application is not built yet: only the libraries and their tests exist so far."; \
	fi

bench: build
	@ls $(BUILD_DIR)/bench/triagon-bench 2>/dev/null || echo "No benchmark program is built yet."

clean:
	rm -rf $(BUILD_DIR)
