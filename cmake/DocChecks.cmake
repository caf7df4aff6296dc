# Checks that keep the README true to the code: the folder dependency
# picture of its Architecture section, and the one direction of includes.
add_test(NAME Docs.DependencyDiagram
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/deps-diagram.sh --check ${CMAKE_SOURCE_DIR}/README.md)
