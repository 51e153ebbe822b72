target_sources(quillon_core PRIVATE curl_inet.cpp)
