# SPDX-License-Identifier: MIT
# The layers, each a library: platform <- decoders <- cell <- catalog <- fileops, listing,
# collection <- app, tools; platform <- render <- app, tools. Sources include headers by
# their path in the tree ("catalog/Catalog.h"), so each layer compiles against a view of the
# tree: a folder in the build holding symbolic links to its own folder and to the headers
# that the layers below it hand on.
# An include against the direction finds no file and fails to compile.

# orlika_layer(NAME FOLDER SOURCES source... [INTERFACE header...] [LINK target...] [CORE])
# makes the library orlika_NAME (alias orlika::NAME) of FOLDER's sources. It hands on
# FOLDER whole, or only the INTERFACE headers when they are given. CORE marks the
# standard-C++ core, whose arithmetic is rounded product by product (no fused multiply-add,
# which clang would form by default on targets that have one).
function(orlika_layer name folder)
  cmake_parse_arguments(ARG "CORE" "" "SOURCES;INTERFACE;LINK" ${ARGN})
  set(target orlika_${name})
  add_library(${target} STATIC ${ARG_SOURCES})
  add_library(orlika::${name} ALIAS ${target})
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  if(ARG_CORE)
    target_compile_options(${target} PRIVATE -ffp-contract=off)
  endif()

  set(views ${PROJECT_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${views}/own ${views}/handed)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${views}/own/${folder} SYMBOLIC)
  if(ARG_INTERFACE)
    file(MAKE_DIRECTORY ${views}/handed/${folder})
    foreach(header IN LISTS ARG_INTERFACE)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${views}/handed/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${views}/handed/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PRIVATE ${views}/own INTERFACE ${views}/handed)
endfunction()
