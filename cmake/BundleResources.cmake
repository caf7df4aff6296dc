# What the bundle's Contents/Resources holds besides the pictures: the
# manual that the help button opens and the graph's TrueType font.

set(CREST_FONT_FILE /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf CACHE FILEPATH
    "TrueType font copied into the bundle as font.ttf")
set(CREST_MANUAL_PDF ${CMAKE_SOURCE_DIR}/manual/QX-Crest_manual-EN.pdf)

add_custom_command(TARGET QX-Crest POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CREST_BUNDLE}/Contents/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CREST_FONT_FILE} ${CREST_BUNDLE}/Contents/Resources/font.ttf
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CREST_MANUAL_PDF}
          ${CREST_BUNDLE}/Contents/Resources/QX-Crest_manual-EN.pdf
  VERBATIM)

# The LV2, VST3 and CLAP bundles carry the pictures beside the font and the
# manual in one folder, DIR, copied there after TARGET is built.
function(crest_bundle_resources target dir)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/resources/img
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources/img ${dir}/resources/img
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CREST_FONT_FILE} ${dir}/font.ttf
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CREST_MANUAL_PDF} ${dir}/QX-Crest_manual-EN.pdf
    VERBATIM)
endfunction()
