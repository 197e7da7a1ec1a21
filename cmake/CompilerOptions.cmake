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
