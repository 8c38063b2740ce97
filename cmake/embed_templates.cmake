# Writes OUTPUT, a C++ source that answers LoadTemplate with the generator's
# template files from GEN_DIR: each <type><id>.bin as a byte array.
set(body "")
set(lookup "")
foreach(entry ISO:198 E3X:203)
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 type)
  list(GET parts 1 id)
  file(READ ${GEN_DIR}/${type}${id}.bin hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const std::uint8_t k${type}${id}[] = {${bytes}};\n")
  string(APPEND lookup "  if (std::strcmp(type, \"${type}\") == 0 && id == ${id}) {\n"
         "    bytes->assign(k${type}${id}, k${type}${id} + sizeof k${type}${id});\n"
         "    return true;\n  }\n")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Made by cmake/embed_templates.cmake from the generator's output.\n"
     "#include <cstring>\n\n#include \"cli/templates.h\"\n\nnamespace {\n${body}}  // namespace\n\n"
     "bool LoadTemplate(const char* type, int id, std::vector<std::uint8_t>* bytes) {\n"
     "${lookup}  return false;\n}\n")
configure_file(${OUTPUT}.tmp ${OUTPUT} COPYONLY)
