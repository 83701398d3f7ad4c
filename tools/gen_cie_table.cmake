# Turns data/cie1931-xy-5nm.csv (wavelength_nm,x,y rows, 380..780 nm in 5 nm steps) into
# a C++ source that defines the spectral locus as single-precision tables.
# Usage: include() it and call radiantix_generate_cie_table(<csv> <output.cpp>).
function(radiantix_generate_cie_table csv out)
  file(STRINGS "${csv}" lines)
  set(xs "")
  set(ys "")
  set(count 0)
  set(expected 380)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*#" OR line MATCHES "^wavelength" OR line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+),([0-9.]+),([0-9.]+)[ \t\r]*$")
      message(FATAL_ERROR "${csv}: malformed row '${line}'")
    endif()
    if(NOT CMAKE_MATCH_1 EQUAL expected)
      message(FATAL_ERROR "${csv}: expected ${expected} nm, found ${CMAKE_MATCH_1}")
    endif()
    string(APPEND xs "    ${CMAKE_MATCH_2}f,  // ${CMAKE_MATCH_1} nm\n")
    string(APPEND ys "    ${CMAKE_MATCH_3}f,  // ${CMAKE_MATCH_1} nm\n")
    math(EXPR count "${count} + 1")
    math(EXPR expected "${expected} + 5")
  endforeach()
  if(NOT count EQUAL 81)
    message(FATAL_ERROR "${csv}: ${count} rows, expected 81 (380..780 nm)")
  endif()
  file(CONFIGURE OUTPUT "${out}" @ONLY CONTENT
"// Generated from data/cie1931-xy-5nm.csv by tools/gen_cie_table.cmake; do not edit.
#include \"render/wavelength_tables.h\"

namespace rx {

const float cieLocusX[kLocusEntries] = {
${xs}};

const float cieLocusY[kLocusEntries] = {
${ys}};

}  // namespace rx
")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${csv}")
endfunction()
