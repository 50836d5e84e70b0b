# Settings of the cross build: a small, static, Unicode GUI program.
enable_language(RC)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The target compiler must never see the host's /usr/include: a staging folder
# holds nothing but a link to the Boost headers.
set(BRINDLE_BOOST_STAGE ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${BRINDLE_BOOST_STAGE})
file(CREATE_LINK /usr/include/boost ${BRINDLE_BOOST_STAGE}/boost SYMBOLIC)

target_compile_definitions(brindle_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                           _WIN32_WINNT=0x0A00 WINVER=0x0A00 BOOST_ALL_NO_LIB)
# Two builds of one commit give the same bytes: no build folder in the code
# (Boost's exceptions name their files), no time stamp in the PE header.
target_compile_options(brindle_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections -fdata-sections
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)
# Every program of the build, tools and third-party tests included, is one
# static file that runs on a bare Windows machine.
add_link_options(-Wl,--no-insert-timestamp)
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
add_link_options(-static -Wl,--gc-sections $<$<CONFIG:Release>:-s>)
# Debian's Boost has no imported target the cross compiler may use: its
# config names the host's /usr/include. The staged folder stands in for it.
add_library(brindle_boost INTERFACE)
target_include_directories(brindle_boost SYSTEM INTERFACE ${BRINDLE_BOOST_STAGE})

# zlib goes into the program itself: a Windows machine has no zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

set(BRINDLE_WIN32_LIBS comctl32 shlwapi shell32 ole32 uuid gdi32 user32 kernel32)

# GoogleTest built from its sources (Debian's googletest package) with the
# target compiler.
set(BRINDLE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source tree")
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${BRINDLE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)


# brindle.exe loads these two only when it first calls them, after its first
# line has made every load search the system folder: under Wine shlwapi pulls
# in shcore, and a load while the imports are resolved would take a shcore.dll
# lying beside the program. Only the functions the program calls are listed;
# one more fails the link until it is added.
set(BRINDLE_DELAY_LOADED)
foreach(dll shell32 shlwapi)
    set(library ${CMAKE_BINARY_DIR}/lib${dll}-delayed.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_SOURCE_DIR}/cmake/delay-load/${dll}.def --dllname ${dll}.dll
            --output-delaylib ${library}
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay-load/${dll}.def VERBATIM)
    list(APPEND BRINDLE_DELAY_LOADED ${library})
endforeach()
add_custom_target(brindle_delay_loaded DEPENDS ${BRINDLE_DELAY_LOADED})
