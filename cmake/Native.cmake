# Host build of the plain C++ parts, checked with the sanitizers.
find_package(GTest REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Boost 1.81 REQUIRED)

if(BRINDLE_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(BRINDLE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
