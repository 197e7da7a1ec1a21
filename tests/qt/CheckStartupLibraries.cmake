# cmake -DPROGRAM=... -DCAMERA_MODULE=... -P CheckStartupLibraries.cmake
# Fails when the desktop program loads at start (ldd: its whole closure) a
# library that only a later screen needs, or when the camera module does not
# bring Qt Multimedia itself.
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE loaded RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed")
endif()
# library (as ldd names it) | what loads it instead
set(deferred
  "libQt6Multimedia.so|the camera module, when the camera first opens"
  "libQt6MultimediaWidgets.so|the camera module, when the camera first opens"
  "libQt6Network.so|the web module, with the first map tile or document"
  "libcurl.so|the networking layer, on its first libcurl call"
  "libarchive.so|nothing: compress answers are decoded in the program"
  "libgio-2.0.so|the MIME types, on the first guess")
set(failures "")
foreach(entry IN LISTS deferred)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 library)
  list(GET fields 1 instead)
  string(FIND "${loaded}" "${library}" at)
  if(NOT at EQUAL -1)
    string(APPEND failures "  ${library} is loaded at start; it belongs to ${instead}\n")
  endif()
endforeach()
execute_process(COMMAND readelf -d ${CAMERA_MODULE} OUTPUT_VARIABLE module RESULT_VARIABLE status)
string(FIND "${module}" "[libQt6Multimedia.so" needsMultimedia)
if(NOT status EQUAL 0 OR needsMultimedia EQUAL -1)
  string(APPEND failures "  ${CAMERA_MODULE} does not link Qt Multimedia\n")
endif()
if(failures)
  message(FATAL_ERROR "start-up libraries of ${PROGRAM}:\n${failures}")
endif()
message(STATUS "ldd ${PROGRAM}: none of the deferred libraries")
