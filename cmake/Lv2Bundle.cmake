# The LV2 bundle build/QX-Crest.lv2: the same plug-in code behind the LV2
# adapter (framework/lv2), one binary holding the plug-ins and the editor
# UI, the Turtle written from the plug-in object by crest-lv2-ttl, and the
# resources the ACF bundle carries.
pkg_check_modules(LV2 REQUIRED IMPORTED_TARGET lv2)
pkg_check_modules(LILV REQUIRED IMPORTED_TARGET lilv-0)

set(CREST_LV2_BUNDLE ${CMAKE_BINARY_DIR}/QX-Crest.lv2)
set(CREST_LV2_PATH ${CMAKE_BINARY_DIR}/lv2)

# The adapter sees the framework only, like the framework's own files.
add_library(crest_lv2 OBJECT
  framework/lv2/IPlugLV2.cpp framework/lv2/IPlugLV2UI.cpp framework/lv2/Lv2TurtleWriter.cpp)
target_compile_options(crest_lv2 PRIVATE ${CREST_WARNINGS})
target_link_libraries(crest_lv2 PUBLIC crest_framework PkgConfig::LV2)

add_library(QX-Crest-lv2 MODULE framework/lv2/Lv2Entry.cpp)
target_compile_options(QX-Crest-lv2 PRIVATE ${CREST_WARNINGS})
target_link_libraries(QX-Crest-lv2 PRIVATE crest_lv2 qxcrest_core)
target_link_options(QX-Crest-lv2 PRIVATE -Wl,--no-undefined -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/lv2-exports.map)
set_target_properties(QX-Crest-lv2 PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME QX-Crest
  LIBRARY_OUTPUT_DIRECTORY ${CREST_LV2_BUNDLE})

add_executable(crest-lv2-ttl framework/lv2/Lv2TurtleMain.cpp)
target_compile_options(crest-lv2-ttl PRIVATE ${CREST_WARNINGS})
target_link_libraries(crest-lv2-ttl PRIVATE crest_lv2 qxcrest_core)

add_custom_command(TARGET QX-Crest-lv2 POST_BUILD
  COMMAND $<TARGET_FILE:crest-lv2-ttl> ${CREST_LV2_BUNDLE} QX-Crest.so
  # A folder holding only the bundle, for LV2_PATH in tests and scripts.
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CREST_LV2_PATH}
  COMMAND ${CMAKE_COMMAND} -E create_symlink ../QX-Crest.lv2 ${CREST_LV2_PATH}/QX-Crest.lv2
  VERBATIM)
add_dependencies(QX-Crest-lv2 crest-lv2-ttl)
crest_bundle_resources(QX-Crest-lv2 ${CREST_LV2_BUNDLE})

# A sanitizer build's bundle needs its runtime loaded first in Debian's
# tools (they are not built with it): the tests preload it there.
set(CREST_SANITIZER_PRELOAD "")
foreach(kind address thread undefined)
  if(CREST_SANITIZE MATCHES ${kind})
    string(REPLACE "address" "asan" lib ${kind})
    string(REPLACE "thread" "tsan" lib ${lib})
    string(REPLACE "undefined" "ubsan" lib ${lib})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${lib}.so
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND CREST_SANITIZER_PRELOAD ${path})
  endif()
endforeach()
list(JOIN CREST_SANITIZER_PRELOAD ":" CREST_SANITIZER_PRELOAD)

# Tests load the bundle through lilv, as hosts do; the benchmark too.
function(crest_lv2_extras)
  if(TARGET crest_tests)
    target_link_libraries(crest_tests PRIVATE PkgConfig::LILV PkgConfig::LV2)
    target_compile_definitions(crest_tests PRIVATE CREST_LV2_BUNDLE_DIR="${CREST_LV2_BUNDLE}"
      CREST_LV2_PATH="${CREST_LV2_PATH}" CREST_SANITIZER_PRELOAD="${CREST_SANITIZER_PRELOAD}")
    add_dependencies(crest_tests QX-Crest-lv2)
  endif()
  if(TARGET crest_bench)
    target_link_libraries(crest_bench PRIVATE PkgConfig::LILV PkgConfig::LV2)
    target_compile_definitions(crest_bench PRIVATE CREST_LV2_PATH="${CREST_LV2_PATH}")
    add_dependencies(crest_bench QX-Crest-lv2)
  endif()
endfunction()
cmake_language(DEFER CALL crest_lv2_extras)
