# Dependencies built for this target by tools/setup.sh (Boost, tinyxml2, GoogleTest) or installed
# from Debian's MinGW packages (zlib) and header packages (stb_image, easylogging++).
find_package(Boost 1.81.0 EXACT CONFIG REQUIRED COMPONENTS system thread filesystem)

find_library(TINYXML2_LIB tinyxml2 REQUIRED)
find_path(TINYXML2_INC tinyxml2.h REQUIRED)
add_library(tolu_tinyxml2 INTERFACE)
target_include_directories(tolu_tinyxml2 SYSTEM INTERFACE ${TINYXML2_INC})
target_link_libraries(tolu_tinyxml2 INTERFACE ${TINYXML2_LIB})

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# stb_image and easylogging++ are plain headers of the build machine; take only these folders,
# never /usr/include as a whole, so no Linux header can shadow a MinGW one.
set(TOLU_HOST_INC ${CMAKE_BINARY_DIR}/host-include)
file(MAKE_DIRECTORY ${TOLU_HOST_INC})
file(COPY /usr/include/stb/stb_image.h DESTINATION ${TOLU_HOST_INC}/stb)
file(COPY /usr/include/easylogging++.h /usr/include/easylogging++.cc DESTINATION ${TOLU_HOST_INC})

add_library(tolu_stb INTERFACE)
target_include_directories(tolu_stb SYSTEM INTERFACE ${TOLU_HOST_INC})

# The library's one storage object lives with it (engine/Log.cpp), so any program that logs
# links it whatever the order of its libraries.
add_library(tolu_elpp STATIC ${TOLU_HOST_INC}/easylogging++.cc ${PROJECT_SOURCE_DIR}/engine/Log.cpp)
target_include_directories(tolu_elpp SYSTEM PUBLIC ${TOLU_HOST_INC})
set_source_files_properties(${TOLU_HOST_INC}/easylogging++.cc PROPERTIES COMPILE_OPTIONS -w)
target_link_libraries(tolu_elpp PUBLIC ws2_32)

if(TOLU_BUILD_TESTS)
  find_package(GTest CONFIG REQUIRED)
endif()
