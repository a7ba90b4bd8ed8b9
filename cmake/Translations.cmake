# kelvora_string_tables(<target> [BUNDLE <name>] <ts files…>)
# Compiles Qt Linguist files (one per string table, named after the table;
# context = table name, source = key, translation = the English text) and
# embeds them in <target> under :/strings/<bundle>/<target>/<Table>.qm.
# BUNDLE defaults to "main", the program's own bundle; a library with a
# bundle of its own (Tiberly) names it. Several targets may add tables to the
# same bundle: a key is looked up in each of them, by target name order.
function(kelvora_string_tables target)
  cmake_parse_arguments(S "" "BUNDLE" "" ${ARGN})
  if(NOT S_BUNDLE)
    set(S_BUNDLE main)
  endif()
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/strings/${target})
  set(qm_files "")
  foreach(ts IN LISTS S_UNPARSED_ARGUMENTS)
    get_filename_component(ts_abs ${ts} ABSOLUTE)
    get_filename_component(table ${ts} NAME_WLE)
    set(qm ${out_dir}/${table}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
      COMMAND Qt6::lrelease -silent ${ts_abs} -qm ${qm}
      DEPENDS ${ts_abs} Qt6::lrelease
      VERBATIM)
    list(APPEND qm_files ${qm})
  endforeach()
  qt_add_resources(${target} "${target}_string_tables"
    PREFIX "/strings/${S_BUNDLE}/${target}"
    BASE ${out_dir}
    FILES ${qm_files})
endfunction()
