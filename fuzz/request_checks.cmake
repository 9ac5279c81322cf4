kelvora_fuzz(request_checks ${CMAKE_CURRENT_SOURCE_DIR}/request_checks_fuzz.cc kelvora_server)
