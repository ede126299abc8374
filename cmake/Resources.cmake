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

# kv_embed_resources(<target> <dll>): links the bytes of a resource module into <target> as the
# extern "C" symbols kvEmbeddedResources (the bytes) and kvEmbeddedResourcesSize (a size_t), with
# default visibility, so the simulator finds them with dlsym in a loaded module and a program that
# links the objects can hand them over directly. <dll> must come from kv_resource_module in the
# calling directory; changing it re-assembles the embedding object.
function(kv_embed_resources target dll)
  get_filename_component(base ${dll} NAME_WE)
  set(asm ${CMAKE_CURRENT_BINARY_DIR}/${base}_embed.S)
  file(CONFIGURE OUTPUT ${asm} @ONLY CONTENT [[
    .section .rodata.kv_embedded,"a"
    .globl kvEmbeddedResources
    .type kvEmbeddedResources, @object
    .p2align 4
kvEmbeddedResources:
    .incbin "@dll@"
.Lkv_embedded_end:
    .size kvEmbeddedResources, .Lkv_embedded_end - kvEmbeddedResources
    .globl kvEmbeddedResourcesSize
    .type kvEmbeddedResourcesSize, @object
    .p2align 3
kvEmbeddedResourcesSize:
    .quad .Lkv_embedded_end - kvEmbeddedResources
    .size kvEmbeddedResourcesSize, 8
    .section .note.GNU-stack,"",@progbits
]])
  add_custom_target(${target}_${base}_module DEPENDS ${dll})
  add_dependencies(${target} ${target}_${base}_module)
  target_sources(${target} PRIVATE ${asm})
  set_source_files_properties(${asm} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${dll})
endfunction()
