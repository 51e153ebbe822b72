quillon_test(app_settings_test SOURCES settings_test.cpp)
