# The VST3 bundle build/QX-Crest.vst3: the same plug-in code behind the
# VST3 adapter (framework/vst3), compiled against the C interface that
# dpf-source installs, with the resources the other bundles carry.
if(NOT EXISTS ${CREST_PLUGIN_FORMATS_DIR}/travesty/component.h)
  message(FATAL_ERROR "travesty/component.h not found under ${CREST_PLUGIN_FORMATS_DIR}: install dpf-source")
endif()

set(CREST_VST3_BUNDLE ${CMAKE_BINARY_DIR}/QX-Crest.vst3)
set(CREST_VST3_RESOURCES ${CREST_VST3_BUNDLE}/Contents/Resources)

# The adapter sees the framework only, like the framework's own files.
add_library(crest_vst3 OBJECT
  framework/vst3/Vst3Factory.cpp framework/vst3/Vst3Plugin.cpp framework/vst3/Vst3Stream.cpp
  framework/vst3/Vst3Text.cpp framework/vst3/Vst3View.cpp)
target_compile_options(crest_vst3 PRIVATE ${CREST_WARNINGS})
target_include_directories(crest_vst3 SYSTEM PUBLIC ${CREST_PLUGIN_FORMATS_DIR})
target_link_libraries(crest_vst3 PUBLIC crest_framework)

add_library(QX-Crest-vst3 MODULE framework/vst3/Vst3Entry.cpp)
target_compile_options(QX-Crest-vst3 PRIVATE ${CREST_WARNINGS})
target_link_libraries(QX-Crest-vst3 PRIVATE crest_vst3 qxcrest_core)
target_link_options(QX-Crest-vst3 PRIVATE -Wl,--no-undefined
  -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/vst3-exports.map)
set_target_properties(QX-Crest-vst3 PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME QX-Crest
  LIBRARY_OUTPUT_DIRECTORY ${CREST_VST3_BUNDLE}/Contents/x86_64-linux)
crest_bundle_resources(QX-Crest-vst3 ${CREST_VST3_RESOURCES})

# A plug-in that breaks one rule, for the test host to fail.
add_library(crest-broken-vst3 MODULE tests/support/broken/BrokenVst3.cpp)
target_compile_options(crest-broken-vst3 PRIVATE ${CREST_WARNINGS})
target_include_directories(crest-broken-vst3 SYSTEM PRIVATE ${CREST_PLUGIN_FORMATS_DIR})
set_target_properties(crest-broken-vst3 PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME Broken
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/Broken.vst3/Contents/x86_64-linux)

function(crest_vst3_extras)
  if(TARGET crest_tests)
    target_include_directories(crest_tests SYSTEM PRIVATE ${CREST_PLUGIN_FORMATS_DIR})
    target_compile_definitions(crest_tests PRIVATE CREST_VST3_BUNDLE_DIR="${CREST_VST3_BUNDLE}"
      CREST_BROKEN_VST3_DIR="${CMAKE_BINARY_DIR}/Broken.vst3")
    add_dependencies(crest_tests QX-Crest-vst3 crest-broken-vst3)
  endif()
endfunction()
cmake_language(DEFER CALL crest_vst3_extras)
