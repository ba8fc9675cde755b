# Precompiled headers for every C++ target of the build: the Qt and standard headers nearly
# every file includes (a 50-line source preprocesses to some 150 000 lines, most of them Qt's),
# and GoogleTest for the test programs. K7_PCH=OFF builds without (to check that every file
# includes what it uses).
#
# Targets built with the same options and the same headers share one precompiled header: the
# first of them compiles it, the others reuse it (REUSE_FROM). Compiling it costs a source file's
# ten seconds; once per target that was half the processor time of a build. The compiler refuses
# a header compiled with other options (-Winvalid-pch is on, an error with K7_WERROR), so a wrong
# grouping cannot pass unnoticed.

set(K7_PCH_STANDARD_HEADERS
    <algorithm> <array> <cstdint> <functional> <memory> <optional> <string> <utility> <vector>)
set(K7_PCH_QT_HEADERS <QByteArray> <QList> <QString> <QStringList>)
# The coordination engine is plain C++ and names things "slots": Qt's headers (which define
# slots, signals and emit as keywords) are not forced into it.
set(K7_PCH_PLAIN_TARGETS k7_coordination generator_run_tsan)

# k7_precompile_targets(DIR): every library and program defined in DIR and below it.
function(k7_precompile_targets dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        if(NOT sources)
            continue()
        endif()
        # Fuzz targets are built with their own instrumentation; the pch would not match it.
        if(target MATCHES "^fuzz_")
            continue()
        endif()
        set(headers ${K7_PCH_STANDARD_HEADERS})
        if(NOT target IN_LIST K7_PCH_PLAIN_TARGETS)
            list(APPEND headers ${K7_PCH_QT_HEADERS})
        endif()
        get_target_property(libraries ${target} LINK_LIBRARIES)
        if(libraries MATCHES "GTest::gtest|k7_test_main|k7_test_widgets_main")
            list(APPEND headers <gtest/gtest.h>)
        endif()
        k7_precompile_shared(${target} "${headers}")
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        k7_precompile_targets(${subdir})
    endforeach()
endfunction()

# k7_precompile_shared(TARGET HEADERS): TARGET reuses the precompiled HEADERS of its group's host.
# A group is the headers and the target's compile options (the test folders' -O0 and the fuzz
# instrumentation among them). The host is an empty library of the group's options that links
# only what the headers need: the compilers take a precompiled header only where every macro it
# was made with is defined alike, and the hosts define the fewest (no folder's paths, no
# program's own).
function(k7_precompile_shared target headers)
    get_target_property(options ${target} COMPILE_OPTIONS)
    string(MD5 key "${headers}|${options}")
    # The host is named for its group, so the group's first target makes it.
    string(SUBSTRING ${key} 0 12 key)
    set(host k7_pch_${key})
    if(NOT TARGET ${host})
        set(source ${CMAKE_BINARY_DIR}/k7_pch_host.cpp)
        if(NOT EXISTS ${source})
            file(WRITE ${source} "// The host of a shared precompiled header: nothing of its own.\n")
        endif()
        add_library(${host} OBJECT ${source})
        set_target_properties(${host} PROPERTIES COMPILE_OPTIONS "${options}")
        # Qt's core brings the position-independent code every target here is built as (and the
        # one macro they all define); the plain group's headers use nothing else of it.
        target_link_libraries(${host} PRIVATE Qt6::Core)
        if(headers MATCHES "gtest")
            target_link_libraries(${host} PRIVATE GTest::gtest)
        endif()
        target_precompile_headers(${host} PRIVATE ${headers})
    endif()
    target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()
