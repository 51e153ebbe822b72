# One Value set on the main window's 249 x 17 picture; it needs Qt for the image.
if(QUILLON_BUILD_GUI)
  quillon_bench(progress_bar_bench SOURCES progress_bar_bench.cpp LIBS quillon_gui)
endif()
