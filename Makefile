# Wraps CMake. `make test` and `make run` do all the set-up on a fresh Debian 12 machine.
#
#   make deps            install the Debian packages the build, tests, benchmarks and run need
#   make build           configure and build into build/ (programs and libzelcomm.so in build/bin)
#   make test            deps + build + ctest
#   make test SANITIZE=1 the same in build-asan/ with AddressSanitizer and UBSan
#   make bench           build and run the benchmarks
#   make run             start the program on an emulated unit with the example setup

SANITIZE ?= 0
ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-asan
CMAKE_FLAGS += -DZEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD_DIR ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

# Debian 12 packages. The mingw-w64 cross compiler checks the 32-bit Windows build of zelcomm;
# Xvfb, xauth and ImageMagick take the README's screenshot (tools/screenshot.sh); the parts'
# history is an SQLite file read through Qt's SQLite driver, its largest reads straight through
# the same SQLite library (libsqlite3-dev); its tests open it beside the program with the
# sqlite3 shell as another program would. zelmqtt publishes through Eclipse
# Paho's C++ client; its tests and benchmark run Mosquitto and make certificates with openssl.
# The statistics' numbers are checked against SciPy's (python3-scipy); distributions' quantiles come
# from Boost.Math (header-only).
PACKAGES := build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev \
	libgtest-dev libgmock-dev googletest \
	g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
	qt6-base-dev qt6-svg-dev libqt6sql6-sqlite libsqlite3-dev sqlite3 libxkbcommon-dev fonts-dejavu-core \
	xvfb xauth xdotool imagemagick \
	libpaho-mqttpp-dev libpaho-mqtt-dev mosquitto mosquitto-clients openssl \
	python3-scipy libboost-math-dev ccache

# Compiles go through ccache; paths below this folder are hashed relative to it, so a clean clone
# (CI) or a second work tree reuses what another one compiled.
CMAKE_FLAGS += -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
CTEST_JOBS ?= 2

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "Installing:$$missing"; \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
		$(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	else \
		echo "All build packages are installed."; \
	fi

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --no-tests=error -j $(CTEST_JOBS)

bench: build
	cmake --build $(BUILD_DIR) --target bench

run: build
	@tools/run-demo.sh $(BUILD_DIR)

clean:
	rm -rf build build-asan
