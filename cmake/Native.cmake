# Host build of the plain C++ parts, checked with the sanitizers.
if(BRINDLE_TESTS)
    find_package(GTest REQUIRED)
endif()
# zlib as the system has it (Debian forbids a copy of its own in a program).
find_package(ZLIB REQUIRED)
find_package(Boost 1.81 REQUIRED)
add_library(brindle_boost INTERFACE)
target_link_libraries(brindle_boost INTERFACE Boost::headers)

if(BRINDLE_FUZZ)
    target_compile_options(brindle_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(brindle_options INTERFACE -fsanitize=address,undefined)
elseif(BRINDLE_SANITIZE)
    target_compile_options(brindle_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(brindle_options INTERFACE -fsanitize=address,undefined)
endif()
