# Every library comes from Debian's packages; scripts/install-deps installs them.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(CURL REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(ICU 72 REQUIRED COMPONENTS uc i18n)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
find_package(LibArchive REQUIRED)
find_package(ZLIB REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(Fontconfig REQUIRED)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
# libjpeg's own API streams rows (photos re-encoded in constant memory); the
# TurboJPEG API is the whole-image reference the tests and benchmarks compare with.
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0)
# cpp-httplib's defines change its structs' layout: take them from pkg-config.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
