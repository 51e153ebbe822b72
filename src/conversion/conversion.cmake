target_sources(quillon_core PRIVATE numbers.cpp messages.cpp log_reader.cpp koushin.cpp)
