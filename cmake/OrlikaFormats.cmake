# SPDX-License-Identifier: MIT
# What CMake builds from the format registry: it reads decoders/Formats.def (the same file
# the C++ registry is compiled from) for the readers' sources, the fuzz targets and the
# shared-mime-info types of the desktop integration.

# orlika_read_formats() sets, in the caller's scope:
#   ORLIKA_FORMATS              each row's format, the name of its reader pair in decoders/
#   ORLIKA_FILE_TYPES           each type's extension, lower case without its dot, in row order
#   ORLIKA_MIME_TYPE_<ext>      its MIME type; ORLIKA_MIME_COMMENT_<ext>, ORLIKA_MIME_MAGIC_<ext>,
#                               ORLIKA_MIME_PRIORITY_<ext> and ORLIKA_MIME_WEIGHT_<ext> likewise
#   ORLIKA_FUZZ_TARGETS         the fuzz targets in row order
#   ORLIKA_FUZZ_SEEDS_<target>  the extensions whose files seed a target, the one it reads first
function(orlika_read_formats)
  set(registry "${PROJECT_SOURCE_DIR}/decoders/Formats.def")
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${registry}")
  # Read whole: a pattern's ';' would split a line that file(STRINGS) returns.
  file(READ "${registry}" content)
  string(REGEX MATCHALL "\nORLIKA_FORMAT\\([A-Za-z][A-Za-z0-9]*" rows "${content}")
  list(TRANSFORM rows REPLACE "\nORLIKA_FORMAT\\(" "")
  set(ORLIKA_FORMATS ${rows} PARENT_SCOPE)
  file(STRINGS "${registry}" lines REGEX "^ORLIKA_FILE_TYPE\\(")
  set(text [=["([^"]*)"]=])
  set(number "([0-9]+)")
  set(line_pattern
      "^ORLIKA_FILE_TYPE\\([A-Za-z][A-Za-z0-9]*, ${text}, [0-9]+, ${text}, ${text}, ${text}, ${text}, ${number}, ${number}\\)$")
  set(types)
  set(targets)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "${line_pattern}")
      message(FATAL_ERROR "decoders/Formats.def: cannot read the line '${line}'")
    endif()
    string(SUBSTRING "${CMAKE_MATCH_1}" 1 -1 extension)
    string(TOLOWER "${extension}" extension)
    list(APPEND types ${extension})
    set(ORLIKA_MIME_TYPE_${extension} "${CMAKE_MATCH_3}" PARENT_SCOPE)
    set(ORLIKA_MIME_COMMENT_${extension} "${CMAKE_MATCH_4}" PARENT_SCOPE)
    set(ORLIKA_MIME_MAGIC_${extension} "${CMAKE_MATCH_5}" PARENT_SCOPE)
    set(ORLIKA_MIME_PRIORITY_${extension} "${CMAKE_MATCH_6}" PARENT_SCOPE)
    set(ORLIKA_MIME_WEIGHT_${extension} "${CMAKE_MATCH_7}" PARENT_SCOPE)
    set(target "${CMAKE_MATCH_2}")
    if(NOT target IN_LIST targets)
      list(APPEND targets ${target})
    endif()
    list(APPEND seeds_${target} ${extension})
  endforeach()
  foreach(target IN LISTS targets)
    set(ORLIKA_FUZZ_SEEDS_${target} ${seeds_${target}} PARENT_SCOPE)
  endforeach()
  set(ORLIKA_FILE_TYPES ${types} PARENT_SCOPE)
  set(ORLIKA_FUZZ_TARGETS ${targets} PARENT_SCOPE)
endfunction()

# orlika_write_format_files(FOLDER) writes there, after orlika_read_formats():
#   orlika-mime.xml           the shared-mime-info package of the file types
#   orlika-fuzz-targets.txt   a line per fuzz target: its name and the extensions it seeds from
# and sets ORLIKA_MIME_TYPE_LIST ("type;type;...;", as desktop entries list them) and
# ORLIKA_METAINFO_MEDIATYPES (AppStream <mediatype> lines) in the caller's scope.
function(orlika_write_format_files folder)
  set(xml "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")
  string(APPEND xml "<!-- Embroidery design files that ORLIKA reads, from its format registry. -->\n")
  string(APPEND xml "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n")
  set(mime_list "")
  set(mediatypes "")
  foreach(extension IN LISTS ORLIKA_FILE_TYPES)
    set(type "${ORLIKA_MIME_TYPE_${extension}}")
    string(APPEND mime_list "${type};")
    string(APPEND mediatypes "    <mediatype>${type}</mediatype>\n")
    string(APPEND xml "  <mime-type type=\"${type}\">\n")
    string(APPEND xml "    <comment>${ORLIKA_MIME_COMMENT_${extension}}</comment>\n")
    string(APPEND xml "    <generic-icon name=\"image-x-generic\"/>\n")
    if(NOT ORLIKA_MIME_MAGIC_${extension} STREQUAL "")
      string(APPEND xml "    <magic priority=\"${ORLIKA_MIME_PRIORITY_${extension}}\">\n")
      string(APPEND xml "      <match type=\"string\" offset=\"0\" value=\"${ORLIKA_MIME_MAGIC_${extension}}\"/>\n")
      string(APPEND xml "    </magic>\n")
    endif()
    set(weight "")
    if(NOT ORLIKA_MIME_WEIGHT_${extension} EQUAL 0)
      set(weight " weight=\"${ORLIKA_MIME_WEIGHT_${extension}}\"")
    endif()
    string(TOUPPER "${extension}" upper)
    string(APPEND xml "    <glob pattern=\"*.${extension}\"${weight}/>\n")
    string(APPEND xml "    <glob pattern=\"*.${upper}\"${weight} case-sensitive=\"true\"/>\n")
    string(APPEND xml "  </mime-type>\n")
  endforeach()
  string(APPEND xml "</mime-info>\n")
  file(CONFIGURE OUTPUT "${folder}/orlika-mime.xml" CONTENT "${xml}" @ONLY)

  set(targets "")
  foreach(target IN LISTS ORLIKA_FUZZ_TARGETS)
    list(JOIN ORLIKA_FUZZ_SEEDS_${target} " " seeds)
    string(APPEND targets "${target} ${seeds}\n")
  endforeach()
  file(CONFIGURE OUTPUT "${folder}/orlika-fuzz-targets.txt" CONTENT "${targets}" @ONLY)

  set(ORLIKA_MIME_TYPE_LIST "${mime_list}" PARENT_SCOPE)
  string(STRIP "${mediatypes}" mediatypes)
  set(ORLIKA_METAINFO_MEDIATYPES "${mediatypes}" PARENT_SCOPE)
endfunction()
