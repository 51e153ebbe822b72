target_sources(quillon_core PRIVATE ftp_texts.cpp ftp_stages.cpp)
