# The two set-up commands: `make run` and `make test`. Both install what is missing first.
.PHONY: run test build deps run-windows clean format tidy bench

JOBS ?= $(shell nproc)

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build -j $(JOBS)

run: deps
	@./scripts/run.sh

run-windows: deps
	@./scripts/run-windows.sh

test: deps
	@./scripts/test.sh

bench: build
	@./scripts/bench.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

tidy: build
	@git ls-files 'src/*.cpp' | grep -v -e '/win32/' | xargs clang-tidy -p build --quiet

clean:
	rm -rf build build-asan build-fuzz build-win
