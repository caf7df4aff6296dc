# The one direction is kept by the build: each probe compiles one include
# as a folder library would, and its test expects the compiler's verdict.
# The probes are not part of the normal build; the tests build them.
function(crest_layering_probe library header verdict)
  string(MAKE_C_IDENTIFIER "${library}_${header}" id)
  add_library(probe_${id} OBJECT EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/layering/Probe.cpp)
  target_compile_definitions(probe_${id} PRIVATE CREST_PROBE_HEADER="${header}")
  target_link_libraries(probe_${id} PRIVATE ${library})
  add_test(NAME layering.${library}.${header}
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target probe_${id})
  if(verdict STREQUAL "refused")
    set_tests_properties(layering.${library}.${header} PROPERTIES
      PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
  endif()
  # Builds in one tree must not overlap.
  set_tests_properties(layering.${library}.${header} PROPERTIES RESOURCE_LOCK build_tree)
endfunction()

crest_layering_probe(crest_dsp framework/IParam.h allowed)
crest_layering_probe(crest_dsp view3d/CrestRender.h refused)
crest_layering_probe(crest_graph view3d/LinesRender.h refused)
crest_layering_probe(crest_framework plugin/Crest.h refused)
crest_layering_probe(crest_framework dsp/Fft.h refused)
crest_layering_probe(crest_view3d graph/GraphControl10.h allowed)
crest_layering_probe(crest_view3d editor/GUIHelper9.h refused)
crest_layering_probe(crest_editor view3d/CrestRender.h allowed)
crest_layering_probe(crest_editor plugin/Crest.h refused)
crest_layering_probe(crest_lv2 framework/IPlugBase.h allowed)
crest_layering_probe(crest_lv2 plugin/Crest.h refused)
crest_layering_probe(crest_vst3 framework/IPlugBase.h allowed)
crest_layering_probe(crest_vst3 plugin/Crest.h refused)
crest_layering_probe(crest_clap framework/IPlugBase.h allowed)
crest_layering_probe(crest_clap plugin/Crest.h refused)
