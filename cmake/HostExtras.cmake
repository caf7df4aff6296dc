# Extra libraries of crest-host: libpng for render's pictures, Xlib for the
# editor's parent window.
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
find_package(X11 REQUIRED)
target_link_libraries(crest-host PRIVATE PkgConfig::PNG X11::X11)

# The host's unit tests compile its file and demo-signal classes and write
# sound files; crest_tests is declared after this file, hence the deferral.
function(crest_host_test_extras)
  if(TARGET crest_tests)
    target_sources(crest_tests PRIVATE
      ${CMAKE_SOURCE_DIR}/host/AudioFile.cpp ${CMAKE_SOURCE_DIR}/host/DemoSignal.cpp)
    target_link_libraries(crest_tests PRIVATE PkgConfig::SNDFILE)
  endif()
endfunction()
cmake_language(DEFER CALL crest_host_test_extras)
