# The installed layout below the prefix. `cmake --install --prefix P` may pick
# any P, so the programs find their files from their own location: the
# relative path from the programs to their data is compiled into them.
include(GNUInstallDirs)

# The bundle (share/instala/bundle) and the demo server's sample data.
set(INSTALA_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/instala")
file(RELATIVE_PATH INSTALA_DATADIR_FROM_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/instala")

# Libraries the programs load at run time (bin/../lib/instala):
#   install(TARGETS <module> LIBRARY DESTINATION ${INSTALA_INSTALL_MODULEDIR} COMPONENT application)
# Not the multiarch library folder: nothing links them.
set(INSTALA_INSTALL_MODULEDIR "lib/instala")
