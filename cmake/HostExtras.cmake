# Extra libraries of crest-host: libpng for render's pictures, Xlib for the
# editor's parent window, JACK for live (libjack, which PipeWire's JACK
# replaces at run time).
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JACK REQUIRED IMPORTED_TARGET jack)
find_package(X11 REQUIRED)
target_link_libraries(crest-host PRIVATE PkgConfig::PNG PkgConfig::JACK X11::X11)

# The host's unit tests compile its file, demo-signal and meter classes,
# write sound files and start the LV2 harness; crest_tests is declared after
# this file, hence the deferral. The live tests record through JACK
# themselves and check that they catch a broken pass-through with a bundle
# whose effect flips one sample.
function(crest_host_test_extras)
  if(TARGET crest_tests)
    target_sources(crest_tests PRIVATE ${CMAKE_SOURCE_DIR}/host/AudioFile.cpp
      ${CMAKE_SOURCE_DIR}/host/DemoSignal.cpp ${CMAKE_SOURCE_DIR}/host/RenderMeter.cpp)
    target_link_libraries(crest_tests PRIVATE PkgConfig::SNDFILE PkgConfig::JACK X11::X11)
    target_compile_definitions(crest_tests PRIVATE CREST_LV2_LATENCY_BIN="$<TARGET_FILE:crest-lv2-latency>")
    add_dependencies(crest_tests crest-lv2-latency)

    set(flipped ${CMAKE_BINARY_DIR}/test-bundles/FlippedSample.bundle)
    add_library(FlippedSample MODULE ${CMAKE_SOURCE_DIR}/tests/host/FlippedSampleBundle.cpp)
    target_include_directories(FlippedSample PRIVATE ${CMAKE_SOURCE_DIR}/framework/include)
    target_compile_options(FlippedSample PRIVATE ${CREST_WARNINGS})
    target_compile_definitions(FlippedSample PRIVATE CREST_REAL_LIBRARY="$<TARGET_FILE:QX-Crest>")
    target_link_libraries(FlippedSample PRIVATE ${CMAKE_DL_LIBS})
    set_target_properties(FlippedSample PROPERTIES PREFIX "" SUFFIX ".so"
      LIBRARY_OUTPUT_DIRECTORY ${flipped}/Contents/Linux)
    add_dependencies(crest_tests FlippedSample)
    target_compile_definitions(crest_tests PRIVATE CREST_FLIPPED_BUNDLE_DIR="${flipped}")
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
