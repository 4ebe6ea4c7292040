# The descriptions the catalogue names, one plain #include a row, written from
# the rows of ja_catalogue.hpp into OUTPUT when CMake configures (again
# whenever the catalogue changes). ja_catalogue_descriptions.hpp includes it.
#
# Each builder's and collection's row becomes, in catalogue order, a block
# that includes its description and, for an includer that has defined
# JA_EACH_DESCRIPTION, expands it with the row's JA_UNIT, JA_EXPORT_CLASS,
# JA_MEMBERS(X) and JA_ROW. A block is taken where JA_DESCRIBED_TAKES(n), n
# the row's position among the builders and collections. The #include is
# marked with the row's own line, so a description that cannot be found is
# reported at its row of ja_catalogue.hpp.
function(stamvik_describe_catalogue CATALOGUE OUTPUT)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CATALOGUE})
  file(READ ${CATALOGUE} text)
  set(head "#define JA_CATALOGUE(BUILDER, COLLECTION, FEATURE)")
  string(FIND "${text}" "${head}" start)
  string(FIND "${text}" "// clang-format on" end)
  if(start EQUAL -1 OR end EQUAL -1 OR end LESS start)
    message(FATAL_ERROR "${CATALOGUE}: no JA_CATALOGUE table between '${head}' and '// clang-format on'")
  endif()
  string(SUBSTRING "${text}" 0 ${start} before)
  string(REGEX MATCHALL "\n" newlines "${before}")
  list(LENGTH newlines line)  # the table's first line, counted from 0
  math(EXPR length "${end} - ${start}")
  string(SUBSTRING "${text}" ${start} ${length} table)
  # Each line's continuation is dropped first: an escaped line end would not
  # split the list.
  string(REGEX REPLACE "[ \t]*\\\\\n" "\n" table "${table}")
  string(REPLACE "\n" ";" lines "${table}")

  set(out "// Made by drv/CatalogueDescriptions.cmake from ${CATALOGUE}: do not edit.\n")
  set(out_lines 1)
  set(position 0)
  set(row "")
  foreach(source_line IN LISTS lines)
    math(EXPR line "${line} + 1")
    string(REGEX REPLACE "/\\*.*\\*/" "" source_line "${source_line}")
    string(STRIP "${source_line}" source_line)
    if(row STREQUAL "")
      if(NOT source_line MATCHES "^(BUILDER|COLLECTION|FEATURE)\\(")
        continue()
      endif()
      set(row_line ${line})
      set(row "${source_line}")
    else()
      string(APPEND row " ${source_line}")
    endif()
    if(NOT row MATCHES "\\)$")
      continue()
    endif()
    if(NOT row MATCHES "^(BUILDER|COLLECTION|FEATURE)\\(([^()]*)\\)$")
      message(FATAL_ERROR "${CATALOGUE}:${row_line}: a row this script cannot read: ${row}")
    endif()
    set(kind ${CMAKE_MATCH_1})
    string(REPLACE "," ";" columns "${CMAKE_MATCH_2}")
    list(TRANSFORM columns STRIP)
    set(row "")
    if(kind STREQUAL "FEATURE")
      continue()
    elseif(kind STREQUAL "BUILDER")
      list(GET columns 3 unit)
      list(GET columns 4 members)
      list(GET columns 5 export)
    else()
      list(GET columns 2 unit)
      list(GET columns 3 members)
      list(GET columns 4 export)
    endif()
    list(GET columns 0 area)
    list(GET columns 1 class)
    list(JOIN columns ", " joined)
    math(EXPR after_include "${out_lines} + 6")
    string(APPEND out
      "// ${area}.${class}\n"
      "#if JA_DESCRIBED_TAKES(${position})\n"
      "#line ${row_line} \"${CATALOGUE}\"\n"
      "#include \"${unit}.hpp\"\n"
      "#line ${after_include} \"${OUTPUT}\"\n"
      "#ifdef JA_EACH_DESCRIPTION\n"
      "#define JA_UNIT ${unit}\n"
      "#define JA_EXPORT_CLASS ${export}\n"
      "#define JA_MEMBERS(X) ${members}(X)\n"
      "#define JA_ROW (${kind}, ${joined})\n"
      "JA_EACH_DESCRIPTION\n"
      "#undef JA_ROW\n"
      "#undef JA_MEMBERS\n"
      "#undef JA_EXPORT_CLASS\n"
      "#undef JA_UNIT\n"
      "#endif\n"
      "#endif\n")
    math(EXPR out_lines "${out_lines} + 17")
    math(EXPR position "${position} + 1")
  endforeach()
  if(NOT row STREQUAL "")
    message(FATAL_ERROR "${CATALOGUE}:${row_line}: a row without its end: ${row}")
  endif()

  # Written only when it changes, so that configuring again rebuilds nothing.
  set(old "")
  if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
  endif()
  if(NOT old STREQUAL out)
    file(WRITE ${OUTPUT} "${out}")
  endif()
endfunction()
