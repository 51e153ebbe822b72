quillon_fuzz(log_reader_fuzz log_reader_fuzz.cpp)
quillon_fuzz(settings_fuzz settings_fuzz.cpp)
