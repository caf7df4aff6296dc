# One library per source folder, linked in the one direction the folders
# depend in. A library sees only its own folder and those it links: each
# folder is reachable through a staging folder of its own
# (stage/dsp/dsp -> dsp), so an include of view3d/ from dsp/ does not compile.
set(CREST_STAGE ${CMAKE_BINARY_DIR}/stage)

function(crest_folder_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.c)
  add_library(${name} OBJECT ${sources})
  file(MAKE_DIRECTORY ${CREST_STAGE}/${folder})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${CREST_STAGE}/${folder}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${CREST_STAGE}/${folder})
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${CREST_WARNINGS}>)
  target_compile_options(${name} PRIVATE ${CREST_FUZZ_COVERAGE})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

crest_folder_library(crest_framework framework crest_externals)
target_include_directories(crest_framework PUBLIC ${CMAKE_SOURCE_DIR}/framework/include)
crest_folder_library(crest_dsp dsp crest_framework)
crest_folder_library(crest_graph graph crest_framework)
crest_folder_library(crest_view3d view3d crest_graph)
crest_folder_library(crest_editor editor crest_view3d)
crest_folder_library(crest_plugin plugin crest_dsp crest_editor)
target_include_directories(crest_plugin PRIVATE ${CREST_GENERATED_DIR})

# Everything of the plug-in in one archive, for the bundles, the tests and
# the benchmarks; they include by paths from the source root.
set(CREST_FOLDER_LIBRARIES crest_framework crest_dsp crest_graph crest_view3d crest_editor crest_plugin)
add_library(qxcrest_core STATIC)
foreach(lib ${CREST_FOLDER_LIBRARIES})
  target_sources(qxcrest_core PRIVATE $<TARGET_OBJECTS:${lib}>)
endforeach()
target_include_directories(qxcrest_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/framework/include)
target_link_libraries(qxcrest_core PUBLIC crest_externals)
