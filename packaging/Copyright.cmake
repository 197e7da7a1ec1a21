# Writes the Debian copyright file: our own paragraph, then one for the fonts
# with their licence's full text when the bundle carries them.
# Usage: cmake -DHEAD=FILE -DFONTS=DIR -DOUT=FILE -P Copyright.cmake
cmake_policy(VERSION 3.25)
file(READ "${HEAD}" text)
set(licence "${FONTS}/LICENSE-SourceSansPro.md")
if(EXISTS "${licence}")
  # The holders are the licence's first line; every line of the text is indented, a blank one is " .".
  file(STRINGS "${licence}" holders LIMIT_COUNT 1)
  string(REGEX REPLACE "^Copyright +" "" holders "${holders}")
  file(READ "${licence}" body)
  string(REGEX REPLACE "[ \t\r]+\n" "\n" body "${body}")
  string(STRIP "${body}" body)
  string(REPLACE "\n" "\n " body " ${body}")
  string(REPLACE "\n \n" "\n .\n" body "${body}")
  string(REPLACE "\n \n" "\n .\n" body "${body}")
  string(APPEND text "\nFiles: */Assets/Fonts/*\n"
                     "Copyright: ${holders}\n"
                     "License: OFL-1.1\n${body}\n")
endif()
file(WRITE "${OUT}.new" "${text}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
