# CrestVersion.h in the build folder, from project()'s version.
set(CREST_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/CrestVersion.h.in ${CREST_GENERATED_DIR}/CrestVersion.h @ONLY)
