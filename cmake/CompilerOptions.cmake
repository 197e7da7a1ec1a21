# Every target of ours links instala_options: warnings are errors everywhere.
add_library(instala_options INTERFACE)
target_compile_options(instala_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_include_directories(instala_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
# A program records only the libraries it calls into, so none is loaded at start for nothing.
target_link_options(instala_options INTERFACE -Wl,--as-needed)
if(INSTALA_SANITIZE)
  target_compile_options(instala_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  # GCC 12's flow analysis under the sanitizers reports std::regex's own
  # std::function members as maybe uninitialised; the plain build keeps the check.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(instala_options INTERFACE -Wno-maybe-uninitialized)
  endif()
  target_link_options(instala_options INTERFACE -fsanitize=address,undefined)
endif()
if(INSTALA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "INSTALA_FUZZ needs clang: use ./run fuzz")
  endif()
  # Every library is instrumented for libFuzzer's coverage; the fuzz targets link libFuzzer itself.
  target_compile_options(instala_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(instala_options INTERFACE -fsanitize=address,undefined)
endif()
