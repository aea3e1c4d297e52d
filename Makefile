# The two set-up commands: `make run` and `make test`. Both install what is missing first.
.PHONY: tidy-win run test build deps run-windows clean format tidy bench install uninstall package

JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_WERROR=ON >/dev/null
	@cmake --build build -j $(JOBS)

run:
	@./scripts/install-deps.sh run
	@./scripts/run.sh

run-windows: deps
	@./scripts/run-windows.sh

test: deps
	@./scripts/test.sh

bench: build
	@./scripts/bench.sh

# The Debian package (build/) and the Windows installer (build-win/).
package:
	@./scripts/install-deps.sh base,linux,voice,windows,package
	@./scripts/package.sh

# `make install PREFIX=~/.local` needs no root; DESTDIR stages a package. The list of what
# was installed is kept apart from cmake's manifest, which the install test overwrites.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"
	@sed 's|^|$(DESTDIR)|' build/install_manifest.txt > build/installed-files.txt

uninstall:
	@if [ -f build/installed-files.txt ]; then xargs -r rm -f -- < build/installed-files.txt; \
	  rm -f build/installed-files.txt; fi

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

tidy: build
	@git ls-files 'src/*.cpp' | grep -v -e '/win32/' | xargs clang-tidy -p build --quiet

# The Windows sources through the mingw build's commands, with mingw's C++ and Windows headers
# (GCC's own intrinsics headers left to clang's).
tidy-win:
	@test -f build-win/compile_commands.json || { echo "configure build-win first (make test)"; exit 1; }
	@dirs=$$(echo | x86_64-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 | \
	  sed -n '/<...> search starts here/,/End of search list/p' | grep '^ ' | \
	  grep -v -e 'posix/include$$' -e 'include-fixed'); \
	git ls-files 'src/*.cpp' | grep '/win32/' | xargs clang-tidy -p build-win --quiet \
	  --extra-arg=--target=x86_64-w64-mingw32 $$(for d in $$dirs; do printf -- '--extra-arg=-isystem%s ' $$d; done)

clean:
	rm -rf build build-asan build-fuzz build-win build-pkg
