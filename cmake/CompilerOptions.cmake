# Every target of ours links instala_options: warnings are errors everywhere.
add_library(instala_options INTERFACE)
target_compile_options(instala_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_include_directories(instala_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(INSTALA_SANITIZE)
  target_compile_options(instala_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(instala_options INTERFACE -fsanitize=address,undefined)
endif()
