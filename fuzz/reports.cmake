kelvora_fuzz(reports ${CMAKE_CURRENT_SOURCE_DIR}/reports_fuzz.cc kelvora_server)
