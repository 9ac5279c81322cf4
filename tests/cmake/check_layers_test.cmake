# Runs the layer check on two small trees: one whose includes follow the
# order, one with an include up the order and one that takes the whole run
# state below the program. The first must pass, the second must fail naming
# both files. Run as `cmake -DCHECK=... -DWORK=... -P check_layers_test.cmake`.
cmake_minimum_required(VERSION 3.25)

function(write_tree root planted)
  file(REMOVE_RECURSE ${root})
  file(WRITE ${root}/Monitor/core/text.h "// core\n")
  file(WRITE ${root}/Monitor/ui/box.h "#include \"Monitor/core/text.h\"\n")
  file(WRITE ${root}/Monitor/schedule/plan.cc "#include \"Monitor/core/text.h\"\n${planted}")
  file(WRITE ${root}/Monitor/card/card.cc "#include \"Monitor/core/text.h\"\n${planted}")
endfunction()

function(check root out_result out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -DSTAMP=${root}/stamp -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} ${result} PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

write_tree(${WORK}/sound "")
check(${WORK}/sound result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "a sound tree was refused:\n${output}")
endif()

write_tree(${WORK}/wrong "")
file(APPEND ${WORK}/wrong/Monitor/schedule/plan.cc "#include \"Monitor/ui/box.h\"\n")
file(APPEND ${WORK}/wrong/Monitor/card/card.cc "#include \"Monitor/core/run_state.h\"\n")
check(${WORK}/wrong result output)
if(result EQUAL 0)
  message(FATAL_ERROR "an include up the layers was let through")
endif()
foreach(expected "Monitor/schedule/plan.cc -> Monitor/ui/box.h"
                 "Monitor/card/card.cc -> Monitor/core/run_state.h (the whole run state)")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the refusal does not name \"${expected}\":\n${output}")
  endif()
endforeach()
