# The recorded device data the tests replay (tests/data, with its README and licences).
set(VSX_TEST_DATA ${CMAKE_SOURCE_DIR}/tests/data)

# One static library per source folder, from every .cpp/.h directly in it.
function(vsx_folder_library folder)
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    if(NOT sources)
        set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(vsx_${folder} STATIC ${sources})
    target_include_directories(vsx_${folder} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(vsx_${folder} PUBLIC ${ARGN})
endfunction()

# One GoogleTest binary per test folder (tests/<folder>/*.cpp), each test case its own CTest test,
# run offscreen. Extra arguments are further libraries to link.
function(vsx_test_folder folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    if(NOT sources)
        return()
    endif()
    add_executable(test_${folder} ${sources})
    target_link_libraries(test_${folder} PRIVATE vsx_testsupport ${ARGN})
    gtest_discover_tests(test_${folder}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    # Test discovery keeps only the first variable of an ENVIRONMENT list, so the folders tests
    # read are compiled in.
    target_compile_definitions(test_${folder} PRIVATE VSX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
)
endfunction()

# One Google Benchmark program per bench/*.cpp; CTest runs each once, briefly, so it cannot rot.
function(vsx_benchmark source)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE vsx_program benchmark::benchmark benchmark::benchmark_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    add_test(NAME ${name}_smoke COMMAND ${name} --benchmark_min_time=0.001)
    set_tests_properties(${name}_smoke PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600 LABELS bench)
    add_dependencies(benchmarks ${name})
endfunction()
