# Writes the pages' texts as byte arrays, one constant each, named after the
# file: res/Overview.html becomes kOverviewText. Run as
#   cmake -DOUTPUT=<file> -DINPUTS=<a,b,...> -P EmbedTexts.cmake
string(REPLACE "," ";" INPUTS "${INPUTS}")
set(content "// Written by EmbedTexts.cmake from demo/res: do not edit.\n")
foreach(input IN LISTS INPUTS)
  get_filename_component(name ${input} NAME_WE)
  file(READ ${input} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND content "constexpr unsigned char k${name}Text[] = {${bytes}};\n")
endforeach()
file(WRITE ${OUTPUT}.new "${content}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
