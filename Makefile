# Korvane: the two commands a new user needs are `make demo` and `make test`.
JOBS ?= 2
.PHONY: all deps build test demo run bench fuzz soak oracle clean

all: build

deps:
	@bash scripts/deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

test: deps
	@cmake --preset test >/dev/null
	@cmake --build --preset test -j $(JOBS)
	@ctest --preset test

demo: build
	@rm -rf out/demo
	@./build/default/apps/korvane-host/korvane-host --demo --root out/demo

# The host in a live window with a few drawings open: click, drag and right-click the tabs.
run: build
	@rm -rf out/run
	@./build/default/apps/korvane-host/korvane-host --window --demo-drawings --root out/run

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@bash scripts/fuzz.sh

# Random user sessions through the simulated host under the sanitizers (docs/sessfuzz.md), then
# four hosts on one profile with one killed mid-run, over and over, for HOSTS_SECONDS.
SECONDS ?= 600
HOSTS_SECONDS ?= 120
soak: deps
	@cmake --preset test >/dev/null
	@cmake --build --preset test -j $(JOBS) --target kv-sessfuzz hosts_test
	@mkdir -p out/soak
	@./build/test/tests/sessfuzz/kv-sessfuzz --seconds $(SECONDS) --out out/soak
	@KV_HOSTS_STRESS_SECONDS=$(HOSTS_SECONDS) ./build/test/tests/hosts/hosts_test \
		--gtest_filter='Hosts.FourHostsAndOneKilledMidRun*'

# The simulated desktop against a real Win32 one under Wine (installs Wine and mingw-w64).
oracle: deps
	@JOBS=$(JOBS) bash scripts/oracle.sh

clean:
	rm -rf build out
