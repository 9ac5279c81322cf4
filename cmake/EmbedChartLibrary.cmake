# Turns the chart library's one file into a C++ source (see server/chart_library.h).
# Called as: cmake -DINPUT=... -DOUTPUT=... -P EmbedChartLibrary.cmake
file(READ ${INPUT} bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT} by cmake/EmbedChartLibrary.cmake; do not edit.
#include \"server/chart_library.h\"

namespace kelvora {
namespace {
const char kChart[] = {${bytes} 0};
}  // namespace

std::string_view ChartLibrary() { return std::string_view(kChart, ${size}); }

}  // namespace kelvora
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
