# The fuzzing build (RAPPORTS_FUZZ): every target of ours gets libFuzzer's coverage
# instrumentation and AddressSanitizer and UndefinedBehaviorSanitizer; the fuzz targets
# themselves link libFuzzer's driver (fuzz/CMakeLists.txt). Asserts stay on.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "RAPPORTS_FUZZ needs clang: cmake -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
endif()
target_compile_options(rapports_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-sanitize-recover=undefined
                                                -fno-omit-frame-pointer -O1 -g)
target_link_options(rapports_flags INTERFACE -fsanitize=address,undefined)
