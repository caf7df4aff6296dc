# Third-party code the plug-in builds on, compiled unmodified from where
# Debian's packages put it: Pugl (the graph's 1 x 1 GL view, the editor's
# stub-backed window) and NanoVG (included once, by graph/NanoVGExt.cpp);
# GLEW, GLU, GL and X11; libpng for the pictures, FreeType and fontconfig
# for the texts. crest_externals carries them all.

set(CREST_DPF_SRC /usr/share/dpf/dgl/src CACHE PATH "Where dpf-source puts NanoVG and Pugl")
set(CREST_NANOVG_DIR ${CREST_DPF_SRC}/nanovg)
# dpf-source's CLAP headers (clap/) and C VST3 interface (travesty/).
find_path(CREST_PLUGIN_FORMATS_DIR clap/entry.h PATHS /usr/share/dpf/distrho/src NO_DEFAULT_PATH REQUIRED)
set(CREST_PUGL_DIR ${CREST_DPF_SRC}/pugl-upstream)

pkg_check_modules(CREST_GL REQUIRED IMPORTED_TARGET glew glu gl x11 xext)
pkg_check_modules(CREST_EDITOR REQUIRED IMPORTED_TARGET libpng freetype2 fontconfig)

add_library(crest_pugl STATIC
  ${CREST_PUGL_DIR}/src/common.c
  ${CREST_PUGL_DIR}/src/internal.c
  ${CREST_PUGL_DIR}/src/x11.c
  ${CREST_PUGL_DIR}/src/x11_gl.c
  ${CREST_PUGL_DIR}/src/x11_stub.c)
set_target_properties(crest_pugl PROPERTIES LINKER_LANGUAGE C C_STANDARD 99)
# Pugl's sources rely on POSIX clock and string calls; PUGL_API empty keeps
# its symbols inside the bundle (hidden like ours) so a host's own copy cannot clash.
target_compile_definitions(crest_pugl PRIVATE _POSIX_C_SOURCE=200809L PUBLIC PUGL_STATIC PUGL_API=)
target_include_directories(crest_pugl
  PUBLIC ${CREST_PUGL_DIR}/include
  PRIVATE ${CREST_PUGL_DIR}/src)
# Not our code: its warnings are not ours to fix.
target_compile_options(crest_pugl PRIVATE -w)
target_link_libraries(crest_pugl PUBLIC PkgConfig::CREST_GL m)

add_library(crest_externals INTERFACE)
target_include_directories(crest_externals INTERFACE ${CREST_NANOVG_DIR})
target_link_libraries(crest_externals INTERFACE
  crest_pugl PkgConfig::CREST_GL PkgConfig::CREST_EDITOR Threads::Threads ${CMAKE_DL_LIBS} m)
