quillon_test(cli_convert_test SOURCES convert_test.cpp)
target_compile_definitions(cli_convert_test PRIVATE QUILLON_CLI="$<TARGET_FILE:quillon-cli>")
add_dependencies(cli_convert_test quillon-cli)
