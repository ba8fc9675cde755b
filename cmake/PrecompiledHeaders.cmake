# Precompiled headers for every C++ target of the build: the Qt and standard headers nearly
# every file includes (a 50-line source preprocesses to some 150 000 lines, most of them Qt's),
# and GoogleTest for the test programs. Each target compiles them once; its sources then skip
# them. K7_PCH=OFF builds without (to check that every file includes what it uses).

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
        target_precompile_headers(${target} PRIVATE ${headers})
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        k7_precompile_targets(${subdir})
    endforeach()
endfunction()
