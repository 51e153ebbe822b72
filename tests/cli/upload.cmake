quillon_test(cli_upload_test SOURCES upload_test.cpp)
target_compile_definitions(cli_upload_test PRIVATE QUILLON_CLI="$<TARGET_FILE:quillon-cli>")
add_dependencies(cli_upload_test quillon-cli)
