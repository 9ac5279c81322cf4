kelvora_fuzz(schedule_files ${CMAKE_CURRENT_SOURCE_DIR}/schedule_files_fuzz.cc kelvora_monitor)
