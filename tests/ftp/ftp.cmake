quillon_test(ftp_stages_test SOURCES ftp_stages_test.cpp)
