# The ISO 4217 names the converter has built in. pecun-iso-names (tools/iso-names) writes them
# from iso-codes' table at build time; it is built apart, for the machine that builds, so that
# the cross trees have one too.
include(ExternalProject)
set(PECUN_ISO_4217_JSON /usr/share/iso-codes/json/iso_4217.json CACHE FILEPATH
    "iso-codes' ISO 4217 table, the source of the built-in currency names")

# pecun_iso_names(TARGET ROOT): TARGET's sources include "Iso4217Names.inc", written from the
# table; ROOT is the project's source folder.
function(pecun_iso_names target root)
    set(tool_dir ${CMAKE_BINARY_DIR}/host/iso-names)
    set(tool ${tool_dir}/pecun-iso-names)
    set(out_dir ${CMAKE_BINARY_DIR}/generated)
    set(out ${out_dir}/Iso4217Names.inc)
    ExternalProject_Add(pecun_iso_names_tool
        SOURCE_DIR ${root}/tools/iso-names
        BINARY_DIR ${tool_dir}
        PREFIX ${CMAKE_BINARY_DIR}/host/iso-names-prefix
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DPECUN_SOURCE_DIR=${root}
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${tool})
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${tool} ${PECUN_ISO_4217_JSON} ${out}
        DEPENDS pecun_iso_names_tool ${tool} ${PECUN_ISO_4217_JSON}
        COMMENT "Writing the built-in ISO 4217 names"
        VERBATIM)
    target_sources(${target} PRIVATE ${out})
    target_include_directories(${target} PRIVATE ${out_dir})
endfunction()
