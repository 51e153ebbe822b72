# The upload through the libcurl layer beside curl(1), both to the loopback test server.
if(TARGET quillon_test_support)
  quillon_bench(upload_bench SOURCES upload_bench.cpp LIBS quillon_test_support)
endif()
