# Resource scripts (.rc) are compiled into real PE resource modules with the MinGW binutils,
# exactly as on Windows, so the simulated desktop reads the same bytes a Windows loader would.
find_program(KV_WINDRES x86_64-w64-mingw32-windres REQUIRED)
find_program(KV_MINGW_LD x86_64-w64-mingw32-ld REQUIRED)

# kv_resource_module(<out-dll> <rc-file> [DEPENDS files...])
function(kv_resource_module out rc)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  get_filename_component(rcdir ${rc} DIRECTORY)
  get_filename_component(base ${out} NAME_WE)
  set(obj ${CMAKE_CURRENT_BINARY_DIR}/${base}.res.o)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${KV_WINDRES} --preprocessor=cpp --preprocessor-arg=-DRC_INVOKED -c 65001
            -I ${rcdir} -I ${CMAKE_SOURCE_DIR}/res ${rc} -O coff -o ${obj}
    COMMAND ${KV_MINGW_LD} --dll -e 0 -s -o ${out} ${obj}
    DEPENDS ${rc} ${ARG_DEPENDS}
    COMMENT "Resource module ${base}"
    VERBATIM)
endfunction()
