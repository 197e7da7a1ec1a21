# Copies the fonts when they were fetched; without them the application uses the default font.
file(MAKE_DIRECTORY "${DEST}")
foreach(name SourceSansPro-Regular.ttf SourceSansPro-Semibold.ttf LICENSE-SourceSansPro.md)
  if(FONTS_DIR AND EXISTS "${FONTS_DIR}/${name}")
    file(COPY "${FONTS_DIR}/${name}" DESTINATION "${DEST}")
  endif()
endforeach()
