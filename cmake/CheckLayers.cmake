# Refuses an include that points up the layers: each folder may include its
# own headers and those of the folders before it in this list, never those
# after it. Run as `cmake -DSOURCE_DIR=... -DSTAMP=... -P CheckLayers.cmake`.
cmake_minimum_required(VERSION 3.25)
set(layers
    Functions
    platform
    Monitor/core
    Monitor/schedule
    Monitor/card
    Monitor/control
    Monitor/learning
    Monitor/statistics
    Monitor/reports
    Monitor/ui
    Monitor
    server
    main
    tools)

# Includes still allowed against the order, each "file -> header". The run
# state still gathers every subsystem's state for the steps that take the
# whole of it; this list only shrinks.
set(allowed
    "Monitor/core/control_host.h -> Monitor/card/card_io.h"
    "Monitor/core/run_state.h -> Monitor/card/card_state.h"
    "Monitor/core/run_state.h -> Monitor/control/control_state.h"
    "Monitor/core/run_state.h -> Monitor/schedule/day_plan.h"
    "Monitor/core/run_state.h -> Monitor/schedule/schedule_state.h")

# The whole run state and the control host that hands it out belong to the
# program: a subsystem takes its own state and what it reads of the others.
# These files still take the whole of it; this list only shrinks.
set(whole_state_headers Monitor/core/run_state.h Monitor/core/control_host.h)
set(whole_state_users
    Monitor/ui/display.h
    Monitor/ui/labels_dialog.h
    Monitor/ui/programs_dialog.h
    Monitor/ui/settings_dialog.h
    Monitor/ui/slot_edit.h)

# The index in `layers` of the folder holding `path`; -1 outside them.
function(layer_of path out)
  set(found -1)
  set(index 0)
  foreach(layer IN LISTS layers)
    string(LENGTH "${layer}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    if(head STREQUAL "${layer}/")
      get_filename_component(folder "${path}" DIRECTORY)
      # "Monitor" holds the program's own files only, not its subfolders.
      if(NOT layer STREQUAL "Monitor" OR folder STREQUAL "Monitor")
        set(found ${index})
      endif()
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

list(FIND layers Monitor program)
set(wrong "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/Functions/*.[ch] ${SOURCE_DIR}/Functions/*.cc
     ${SOURCE_DIR}/platform/*.cc ${SOURCE_DIR}/platform/*.h ${SOURCE_DIR}/Monitor/*.cc ${SOURCE_DIR}/Monitor/*.h
     ${SOURCE_DIR}/server/*.cc ${SOURCE_DIR}/server/*.h ${SOURCE_DIR}/main/*.cc ${SOURCE_DIR}/tools/*.cc
     ${SOURCE_DIR}/tools/*.h)
foreach(source IN LISTS sources)
  layer_of("${source}" own)
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    layer_of("${header}" theirs)
    if(theirs GREATER own AND NOT "${source} -> ${header}" IN_LIST allowed)
      string(APPEND wrong "\n  ${source} -> ${header}")
    endif()
    if(header IN_LIST whole_state_headers AND own LESS program AND NOT source IN_LIST whole_state_users
       AND NOT source IN_LIST whole_state_headers)
      string(APPEND wrong "\n  ${source} -> ${header} (the whole run state)")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "includes against the order of the layers:${wrong}")
endif()
file(TOUCH ${STAMP})
