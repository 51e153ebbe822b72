quillon_test(conversion_test SOURCES conversion_test.cpp)
