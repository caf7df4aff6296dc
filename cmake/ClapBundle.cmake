# The CLAP module build/QX-Crest.clap: the same plug-in code behind the
# CLAP adapter (framework/clap), both plug-ins in one file, and beside it
# QX-Crest.resources with the pictures, font and manual the editor loads.
# Compiled against the CLAP headers where dpf-source puts them.

set(CREST_CLAP_MODULE ${CMAKE_BINARY_DIR}/QX-Crest.clap)
set(CREST_CLAP_RESOURCES ${CMAKE_BINARY_DIR}/QX-Crest.resources)

# The adapter sees the framework only, like the framework's own files.
add_library(crest_clap OBJECT framework/clap/IPlugCLAP.cpp framework/clap/IPlugCLAPGUI.cpp)
target_compile_options(crest_clap PRIVATE ${CREST_WARNINGS})
target_include_directories(crest_clap SYSTEM PUBLIC ${CREST_PLUGIN_FORMATS_DIR})
target_link_libraries(crest_clap PUBLIC crest_framework)

add_library(QX-Crest-clap MODULE framework/clap/ClapEntry.cpp)
target_compile_options(QX-Crest-clap PRIVATE ${CREST_WARNINGS})
target_link_libraries(QX-Crest-clap PRIVATE crest_clap qxcrest_core)
target_link_options(QX-Crest-clap PRIVATE -Wl,--no-undefined -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/clap-exports.map)
set_target_properties(QX-Crest-clap PROPERTIES PREFIX "" SUFFIX ".clap" OUTPUT_NAME QX-Crest
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

crest_bundle_resources(QX-Crest-clap ${CREST_CLAP_RESOURCES})

# Plug-ins that keep one rule each and break it, for the tests to prove
# that the test host can fail (tests/support/clap-rule-breaker/ClapRuleBreaker.cpp).
foreach(rule none short-reads one-sample)
  string(REPLACE "-" "_" macro ${rule})
  add_library(crest-clap-${rule} MODULE tests/support/clap-rule-breaker/ClapRuleBreaker.cpp)
  target_include_directories(crest-clap-${rule} SYSTEM PRIVATE ${CREST_PLUGIN_FORMATS_DIR})
  target_compile_definitions(crest-clap-${rule} PRIVATE CREST_BREAK_${macro})
  target_compile_options(crest-clap-${rule} PRIVATE ${CREST_WARNINGS})
  set_target_properties(crest-clap-${rule} PROPERTIES PREFIX "" SUFFIX ".clap" OUTPUT_NAME breaks-${rule}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/clap-test)
endforeach()

function(crest_clap_extras)
  if(TARGET crest_tests)
    target_include_directories(crest_tests SYSTEM PRIVATE ${CREST_PLUGIN_FORMATS_DIR})
    target_compile_definitions(crest_tests PRIVATE CREST_CLAP_MODULE="${CREST_CLAP_MODULE}"
      CREST_CLAP_TEST_DIR="${CMAKE_BINARY_DIR}/clap-test")
    add_dependencies(crest_tests QX-Crest-clap crest-clap-none crest-clap-short-reads crest-clap-one-sample)
  endif()
  # A sanitizer build's module needs its runtime loaded first in Qtractor
  # (and, in an address build, the GL driver the tests preload). The module
  # stays loaded to the end, so that what the libraries it brought in
  # (Mesa, fontconfig) keep until then still has their names when the
  # leaks are reported, for tests/lsan.supp to match.
  if(CREST_TEST_PRELOAD)
    set_tests_properties(ClapHosts.QtractorScanListsBothPlugins PROPERTIES
      ENVIRONMENT "LD_PRELOAD=${CREST_TEST_PRELOAD}:${CREST_CLAP_MODULE}")
  endif()
endfunction()
cmake_language(DEFER CALL crest_clap_extras)

# Qtractor's plug-in scanner lists both plug-ins with their parameters
# (scripts/setup.sh installs qtractor; without it the test fails).
find_program(CREST_QTRACTOR_SCAN qtractor_plugin_scan PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/qtractor)
if(NOT CREST_QTRACTOR_SCAN)
  set(CREST_QTRACTOR_SCAN /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/qtractor/qtractor_plugin_scan)
endif()
add_test(NAME ClapHosts.QtractorScanListsBothPlugins
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-clap-qtractor.sh ${CREST_CLAP_MODULE} ${CREST_QTRACTOR_SCAN})
