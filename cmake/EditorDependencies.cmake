# Libraries of the editor surface (framework/IGraphics and its helpers):
# Pugl's stub back end for the editor's plain X11 window (Pugl itself is
# built by Dependencies.cmake), libpng for the pictures, FreeType and
# fontconfig for the texts.
if(TARGET crest_pugl)
  target_sources(crest_pugl PRIVATE ${CREST_PUGL_DIR}/src/x11_stub.c)
endif()
pkg_check_modules(CREST_EDITOR REQUIRED IMPORTED_TARGET libpng freetype2 fontconfig x11)
target_link_libraries(qxcrest_core PUBLIC PkgConfig::CREST_EDITOR)
