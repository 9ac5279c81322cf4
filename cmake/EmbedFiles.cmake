# Turns the files of the web page into a C++ source, so that the program
# carries its page with it and serves it from wherever it is copied.
# Called as: cmake -DSOURCE_DIR=... -DOUTPUT=... -P EmbedFiles.cmake
file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(SORT files)
set(body "")
set(table "")
set(index 0)
foreach(name ${files})
  file(READ ${SOURCE_DIR}/${name} bytes HEX)
  string(LENGTH "${bytes}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
  string(APPEND body "const char kFile${index}[] = {${bytes} 0};\n")
  string(APPEND table "    {\"/${name}\", std::string_view(kFile${index}, ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp
"// Generated from resources/web by cmake/EmbedFiles.cmake; do not edit.
#include \"server/web_assets.h\"

namespace kelvora {
namespace {
${body}
}  // namespace

const std::vector<WebAsset>& WebAssets() {
  static const std::vector<WebAsset> kAssets = {
${table}  };
  return kAssets;
}

}  // namespace kelvora
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
