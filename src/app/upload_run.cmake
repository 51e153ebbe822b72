target_sources(quillon_core PRIVATE upload_run.cpp)
