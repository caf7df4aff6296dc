# CrestVersion.h in the build folder, from project()'s version.
configure_file(${CMAKE_SOURCE_DIR}/cmake/CrestVersion.h.in ${CMAKE_BINARY_DIR}/generated/CrestVersion.h @ONLY)
target_include_directories(qxcrest_core PUBLIC ${CMAKE_BINARY_DIR}/generated)
