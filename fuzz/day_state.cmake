kelvora_fuzz(day_state day_state_fuzz.cc kelvora_monitor)
