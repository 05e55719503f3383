# Writes a C++ source holding every resource file as a byte array, with a table by type and id.
# Called at build time: cmake -DRES_DIR=<res> -DOUT=<file.cpp> -P embed_resources.cmake
# Folders and the resource type each holds: xml/ "xml", png/ "png", bmp/ "bmp", icon/ "icon".
# A file's name without its extension is its decimal resource id; "<id>@2x" holds the same
# image drawn at twice the resolution for dense screens, type "<type>@2x" ("png@2x", ...).
set(kinds xml:xml png:png bmp:bmp icon:icon)
set(arrays "")
set(entries "")
set(index 0)
foreach(kind ${kinds})
  string(REPLACE ":" ";" parts ${kind})
  list(GET parts 0 folder)
  list(GET parts 1 type)
  file(GLOB files "${RES_DIR}/${folder}/*")
  list(SORT files)
  foreach(path ${files})
    get_filename_component(stem ${path} NAME_WE)
    if(NOT stem MATCHES "^([0-9]+)(@2x)?$")
      continue()
    endif()
    set(id ${CMAKE_MATCH_1})
    set(entry_type ${type}${CMAKE_MATCH_2})
    file(READ ${path} hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    string(APPEND arrays "// ${folder}/${stem}\nconst unsigned char kData${index}[] = {\n${bytes}0};\n")
    string(APPEND entries "    {\"${entry_type}\", ${id}u, kData${index}, ${size}u},\n")
    math(EXPR index "${index} + 1")
  endforeach()
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated from the files in res/ by res/embed_resources.cmake. Do not edit.\n"
"#include \"bkres/bkresourcetable.h\"\n\n"
"namespace {\n${arrays}\n"
"const BkResourceEntry kEntries[] = {\n${entries}};\n"
"}  // namespace\n\n"
"const BkResourceTable& BkProgramResources() {\n"
"    static const BkResourceTable table{kEntries, sizeof(kEntries) / sizeof(kEntries[0])};\n"
"    return table;\n"
"}\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
