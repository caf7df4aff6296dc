# Extra libraries of crest-host: libpng for render's pictures, Xlib for the
# editor's parent window.
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
find_package(X11 REQUIRED)
target_link_libraries(crest-host PRIVATE PkgConfig::PNG X11::X11)

# The host's unit tests compile its file, demo-signal and meter classes,
# write sound files and start the LV2 harness; crest_tests is declared after
# this file, hence the deferral.
function(crest_host_test_extras)
  if(TARGET crest_tests)
    target_sources(crest_tests PRIVATE ${CMAKE_SOURCE_DIR}/host/AudioFile.cpp
      ${CMAKE_SOURCE_DIR}/host/DemoSignal.cpp ${CMAKE_SOURCE_DIR}/host/RenderMeter.cpp)
    target_link_libraries(crest_tests PRIVATE PkgConfig::SNDFILE)
    target_compile_definitions(crest_tests PRIVATE CREST_LV2_LATENCY_BIN="$<TARGET_FILE:crest-lv2-latency>")
    add_dependencies(crest_tests crest-lv2-latency)
  endif()
endfunction()
cmake_language(DEFER CALL crest_host_test_extras)

# crest-lv2-latency: the LV2 bundle's run and UI through lilv, measured as
# crest-host latency measures render, with the host's own audio, window and
# measuring classes.
add_executable(crest-lv2-latency
  host/lv2/Lv2LatencyMain.cpp host/lv2/Lv2Plugin.cpp host/lv2/Lv2PluginUi.cpp
  host/RenderMeter.cpp host/PacedAudioThread.cpp host/CameraDrag.cpp host/EditorWindow.cpp
  host/DemoSignal.cpp host/AudioFile.cpp host/BlockReader.cpp host/ChannelBlocks.cpp)
target_include_directories(crest-lv2-latency PRIVATE ${CMAKE_SOURCE_DIR}/host)
target_compile_options(crest-lv2-latency PRIVATE ${CREST_WARNINGS})
target_compile_definitions(crest-lv2-latency PRIVATE CREST_LV2_PATH="${CREST_LV2_PATH}:/usr/lib/lv2")
target_link_libraries(crest-lv2-latency PRIVATE
  PkgConfig::LILV PkgConfig::LV2 PkgConfig::SNDFILE X11::X11 ${CMAKE_DL_LIBS} Threads::Threads)
add_dependencies(crest-lv2-latency QX-Crest-lv2)
