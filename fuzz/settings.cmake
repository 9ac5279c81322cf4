kelvora_fuzz(settings ${CMAKE_CURRENT_SOURCE_DIR}/settings_fuzz.cc kelvora_monitor)
