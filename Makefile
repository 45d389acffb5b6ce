# The two commands of the README: `make run` and `make test`. Each installs what it needs first.
.PHONY: run test bench screenshot clean

run:
	@tools/setup.sh run
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target quillmast
	@tools/launch.sh build/release/app/quillmast

test:
	@tools/setup.sh test
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -LE x11

bench:
	@tools/setup.sh bench
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench --target text_bench
	build/bench/bench/text_bench

# The widget under a virtual X server against a local sample page; prints the path of a PNG of it.
screenshot:
	@tools/setup.sh test
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target quillmast-loopback make-sample-page
	@python3 tools/run_headless.py build/release/app/quillmast-loopback build/release/tools/make-sample-page

clean:
	rm -rf build
