# dxflib (DXF reading and writing), as one target for both systems: veskar::dxflib.
#   Linux:   Debian's libdxflib-dev, found directly (it has no CMake package).
#   Windows: Debian's source package of the same version, fetched with apt-get source into the
#            build folder's cache (tools/fetch-debian-source) and compiled as a static library.
if(NOT WIN32)
  find_path(DXFLIB_INCLUDE_DIR dl_dxf.h PATH_SUFFIXES dxflib REQUIRED)
  find_library(DXFLIB_LIBRARY NAMES dxflib REQUIRED)
  add_library(veskar::dxflib UNKNOWN IMPORTED)
  set_target_properties(veskar::dxflib PROPERTIES
    IMPORTED_LOCATION ${DXFLIB_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${DXFLIB_INCLUDE_DIR})
  return()
endif()

set(VESKAR_DXFLIB_DEBIAN_VERSION 3.26.4-1)
execute_process(
  COMMAND bash ${PROJECT_SOURCE_DIR}/tools/fetch-debian-source
    dxflib ${VESKAR_DXFLIB_DEBIAN_VERSION} ${CMAKE_BINARY_DIR}/cache
  OUTPUT_VARIABLE dxflib_source_dir OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)

add_library(veskar_dxflib STATIC
  ${dxflib_source_dir}/src/dl_dxf.cpp
  ${dxflib_source_dir}/src/dl_writer_ascii.cpp)
target_include_directories(veskar_dxflib SYSTEM PUBLIC ${dxflib_source_dir}/src)
# Third-party code: its warnings are not ours to fix. The project's -ffp-contract=off stays.
target_compile_options(veskar_dxflib PRIVATE -w)
add_library(veskar::dxflib ALIAS veskar_dxflib)
